#include "options/OptionsDialog.h"

#include "options/OptionsPreview.h"
#include "ui/Prompts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr std::array<const char*, 7> kColorCaptions{"ＣＨ　１", "ＣＨ　２", "背景",    "格子",
                                                   "中心",     "Ch1 Base", "Ch2 Base"};

struct LineList {
    const char* label;
    const char* tooltip;
    std::vector<const char*> entries;
};

// Entries keep their leading spaces: they right-align the numbers in the lists.
const std::array<LineList, 6>& lineLists()
{
    static const std::array<LineList, 6> lists{{
        {"通信速度", "", {"115200", " 57600", " 38400", " 19200", "  9600", "  4800", "  2400"}},
        {"ビット長", "本体側を８ビットに設定してください。", {"   8", "   7"}},
        {"パリティー", "本体側で NONE 固定になってます。", {"  NONE", "  EVEN", "  ODD"}},
        {"ストップビット", "本体側で １ 固定になってます。", {"    1", "    2"}},
        {"デリミッター", "", {"  CR/LF", "    CR"}},
        {"ポート", "ポート番号の選択は １ または ２ に固定してます。", {"　１", "　２"}},
    }};
    return lists;
}

QString indexed(const char* name, int index)
{
    return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

} // namespace

QColor ColorFromBgr(int32_t bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

int32_t BgrFromColor(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return rgb.red() | (rgb.green() << 8) | (rgb.blue() << 16);
}

OptionsDialog::OptionsDialog(EnvSettings& settings, std::filesystem::path settingsPath, Prompts& prompts,
                             QWidget* parent)
    : QDialog(parent), m_settings(settings), m_settingsPath(std::move(settingsPath)), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("MIRAVO Link Tool Options"));

    auto* tabs = m_tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("SSTab1"));
    tabs->addTab(buildColorTab(), QStringLiteral("配　色"));
    auto* spare = new QWidget(tabs);
    tabs->addTab(spare, QStringLiteral("（ 予　備 ）"));
    tabs->addTab(buildLineTab(), QStringLiteral("通信環境"));
    tabs->setCurrentIndex(0);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setToolTip(QStringLiteral("設定の保存と終了"));
    ok->setAutoDefault(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    cancel->setToolTip(QStringLiteral("変更の破棄と終了"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &OptionsDialog::cmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &OptionsDialog::cmdCancel_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs);
    layout->addLayout(buttons);

    // Load: lists and swatches from the settings, then the preview.
    for (int i = 0; i < 6; ++i) {
        const int position = m_settings.Com[i];
        m_envCom[i]->setCurrentIndex(position >= 0 && position < m_envCom[i]->count() ? position : 0);
    }
    for (int i = 0; i < 7; ++i)
        setSwatch(i, m_settings.Color[i]);
    DrawPreview();
}

QWidget* OptionsDialog::buildColorTab()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        auto* swatch = new QLabel(page);
        swatch->setObjectName(indexed("EnvColor", i));
        swatch->setFrameShape(QFrame::Panel);
        swatch->setFrameShadow(QFrame::Sunken);
        swatch->setAutoFillBackground(true);
        swatch->setMinimumSize(48, 22);
        m_envColor[i] = swatch;
        auto* button = new QPushButton(QString::fromUtf8(kColorCaptions[i]), page);
        button->setObjectName(indexed("ColorCommand", i));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { ColorCommand_Click(i); });
        grid->addWidget(swatch, i, 0);
        grid->addWidget(button, i, 1);
    }
    auto* stand = new QPushButton(QStringLiteral("標準設定"), page);
    stand->setObjectName(QStringLiteral("ColorStand"));
    stand->setToolTip(QStringLiteral("配色を標準色に再設定"));
    stand->setAutoDefault(false);
    connect(stand, &QPushButton::clicked, this, &OptionsDialog::ColorStand_Click);
    grid->addWidget(stand, 7, 0, 1, 2);
    grid->setRowStretch(8, 1);

    m_preview = new OptionsPreview(page);
    auto* layout = new QHBoxLayout(page);
    layout->addLayout(grid);
    layout->addWidget(m_preview, 1);
    return page;
}

QWidget* OptionsDialog::buildLineTab()
{
    auto* page = new QWidget;
    auto* grid = new QGridLayout;
    for (int i = 0; i < 6; ++i) {
        const LineList& list = lineLists()[i];
        auto* label = new QLabel(QString::fromUtf8(list.label), page);
        label->setObjectName(indexed("Label1", i));
        auto* combo = new QComboBox(page);
        combo->setObjectName(indexed("EnvCOM", i));
        for (const char* entry : list.entries)
            combo->addItem(QString::fromUtf8(entry));
        combo->setToolTip(QString::fromUtf8(list.tooltip));
        label->setBuddy(combo);
        m_envCom[i] = combo;
        grid->addWidget(label, i, 0);
        grid->addWidget(combo, i, 1);
    }
    auto* stand = new QPushButton(QStringLiteral("標準設定"), page);
    stand->setObjectName(QStringLiteral("COMStand"));
    stand->setToolTip(QStringLiteral("通信環境をMIRAVOの標準設定に"));
    stand->setAutoDefault(false);
    connect(stand, &QPushButton::clicked, this, &OptionsDialog::COMStand_Click);
    grid->addWidget(stand, 6, 1);
    m_doctorButton = new QPushButton(QStringLiteral("診断"), page);
    m_doctorButton->setObjectName(QStringLiteral("COMDoctor"));
    m_doctorButton->setToolTip(QStringLiteral("本体が応答しないわけを調べ、応答する通信速度とデリミッターを探します"));
    m_doctorButton->setAutoDefault(false);
    m_doctorButton->setEnabled(false);
    connect(m_doctorButton, &QPushButton::clicked, this, &OptionsDialog::COMDoctor_Click);
    grid->addWidget(m_doctorButton, 6, 2, Qt::AlignLeft);
    grid->setColumnStretch(3, 1);

    // Devices found on this machine (USB adapters mostly), offered beside ports 1 and 2.
    m_portDevices = new QTreeWidget(page);
    m_portDevices->setObjectName(QStringLiteral("PortDevices"));
    m_portDevices->setHeaderLabels({QStringLiteral("デバイス"), QStringLiteral("説明"), QStringLiteral("メーカー"),
                                    QStringLiteral("シリアル番号"), QStringLiteral("VID:PID")});
    m_portDevices->setRootIsDecorated(false);
    m_portDevices->setToolTip(QStringLiteral("選んだデバイスは次回の起動でも使います（設定ファイルは変わりません）。"));
    auto* rescan = new QPushButton(QStringLiteral("再検索"), page);
    rescan->setObjectName(QStringLiteral("PortRescan"));
    rescan->setAutoDefault(false);
    connect(rescan, &QPushButton::clicked, this, [this] { fillDevices(chosenDevice()); });
    // The last choice wins: a port picked after a device goes back to the settings' port.
    connect(m_envCom[5], &QComboBox::activated, this, &OptionsDialog::useSettingsPort);
    auto* devicesTitle = new QHBoxLayout;
    devicesTitle->addWidget(new QLabel(QStringLiteral("検出したシリアルデバイス"), page));
    devicesTitle->addStretch();
    devicesTitle->addWidget(rescan);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(grid);
    layout->addLayout(devicesTitle);
    layout->addWidget(m_portDevices, 1);
    fillDevices(QString());
    return page;
}

void OptionsDialog::offerDevices(SerialPortLister lister, const QString& chosen)
{
    m_lister = std::move(lister);
    fillDevices(chosen);
}

void OptionsDialog::fillDevices(const QString& chosen)
{
    std::vector<SerialPortEntry> present = m_lister ? m_lister() : std::vector<SerialPortEntry>{};
    const bool chosenPresent = std::any_of(present.begin(), present.end(),
                                           [&](const SerialPortEntry& port) { return port.device == chosen; });
    // A remembered device that is unplugged stays on the list, so keeping it is a choice too.
    if (!chosen.isEmpty() && !chosenPresent)
        present.push_back({chosen, QStringLiteral("（見つかりません）"), {}, {}});

    m_portDevices->clear();
    auto* settingsPort = new QTreeWidgetItem(m_portDevices, {QStringLiteral("設定のポート"),
                                                             QStringLiteral("上の「ポート」で選んだ １ または ２")});
    m_portDevices->setCurrentItem(settingsPort);
    for (const SerialPortEntry& port : present) {
        // As --list-ports shows them: "-" for what the adapter does not tell.
        auto* item = new QTreeWidgetItem(m_portDevices, {PortField(port.device), PortField(port.description),
                                                         PortField(port.manufacturer), PortField(port.serialNumber),
                                                         PortField(port.usbId)});
        item->setData(0, Qt::UserRole, port.device);
        if (port.device == chosen)
            m_portDevices->setCurrentItem(item);
    }
    // Wide enough for the columns, so a serial number is not cut off.
    int width = 2 * m_portDevices->frameWidth() + m_portDevices->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < m_portDevices->columnCount(); ++column) {
        m_portDevices->resizeColumnToContents(column);
        width += m_portDevices->columnWidth(column);
    }
    m_portDevices->setMinimumWidth(std::min(width, 720));
}

QString OptionsDialog::chosenDevice() const
{
    const QTreeWidgetItem* item = m_portDevices->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}

void OptionsDialog::offerDoctor(Doctor doctor)
{
    m_doctor = std::move(doctor);
    m_doctorButton->setEnabled(bool(m_doctor));
}

void OptionsDialog::COMDoctor_Click()
{
    if (!m_doctor)
        return;
    EnvSettings edited = m_settings;
    for (int i = 0; i < 6; ++i)
        edited.Com[i] = static_cast<int16_t>(m_envCom[i]->currentIndex());
    if (const std::optional<DoctorFound> found = m_doctor(this, edited, chosenDevice()))
        useLineSettings(*found);
}

void OptionsDialog::useLineSettings(const DoctorFound& found)
{
    m_envCom[0]->setCurrentIndex(found.speedIndex);
    m_envCom[4]->setCurrentIndex(found.delimiterIndex);
    m_tabs->setCurrentIndex(2);
}

void OptionsDialog::setSwatch(int index, int32_t bgr)
{
    m_swatches[index] = bgr;
    QPalette palette = m_envColor[index]->palette();
    palette.setColor(QPalette::Window, ColorFromBgr(bgr));
    m_envColor[index]->setPalette(palette);
}

void OptionsDialog::DrawPreview()
{
    std::array<QColor, 7> colors;
    for (std::size_t i = 0; i < colors.size(); ++i)
        colors[i] = ColorFromBgr(m_swatches[i]);
    m_preview->draw(colors);
}

void OptionsDialog::ColorCommand_Click(int index)
{
    if (index < 0 || index >= 7)
        return;
    const std::optional<QColor> chosen = m_prompts.chooseColor(this, QStringLiteral("配色指定"));
    if (!chosen)
        return;
    setSwatch(index, BgrFromColor(*chosen));
    DrawPreview();
}

void OptionsDialog::ColorStand_Click()
{
    const EnvSettings defaults;
    for (int i = 0; i < 7; ++i)
        setSwatch(i, defaults.Color[i]);
    DrawPreview();
}

void OptionsDialog::COMStand_Click()
{
    const EnvSettings defaults;
    for (int i = 0; i < 6; ++i)
        m_envCom[i]->setCurrentIndex(defaults.Com[i]);
    useSettingsPort();
}

void OptionsDialog::useSettingsPort()
{
    m_portDevices->setCurrentItem(m_portDevices->topLevelItem(0));
}

void OptionsDialog::cmdOK_Click()
{
    for (int i = 0; i < 6; ++i)
        m_settings.Com[i] = static_cast<int16_t>(m_envCom[i]->currentIndex());
    for (int i = 0; i < 7; ++i)
        m_settings.Color[i] = m_swatches[i];
    // The values stay in use for this run even when the file cannot be written.
    const std::string problem = WriteSettings(m_settingsPath, m_settings);
    if (!problem.empty()) {
        m_prompts.tell(this, QString(),
                       QString::fromUtf8(problem) +
                           QStringLiteral("\n設定はこの実行中だけ有効です。"));
    }
    accept();
}

void OptionsDialog::cmdCancel_Click()
{
    reject();
}
