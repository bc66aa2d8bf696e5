#include "document/widgets/SetupDialog.h"

#include "document/WaveDocument.h"
#include "ui/Prompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace {

const QStringList kSweepEntries{
    QStringLiteral("50"),   QStringLiteral("20"),   QStringLiteral("10"),   QStringLiteral("5"),
    QStringLiteral("2"),    QStringLiteral("1"),    QStringLiteral("500m"), QStringLiteral("200m"),
    QStringLiteral("100m"), QStringLiteral("50m"),  QStringLiteral("20m"),  QStringLiteral("10m"),
    QStringLiteral("5m"),   QStringLiteral("2m"),   QStringLiteral("1m"),   QStringLiteral("500u"),
    QStringLiteral("200u"), QStringLiteral("100u"), QStringLiteral("50u"),  QStringLiteral("20u"),
    QStringLiteral("10u"),  QStringLiteral("5u"),   QStringLiteral("2u"),   QStringLiteral("1u"),
    QStringLiteral("500n"), QStringLiteral("200n"), QStringLiteral("100n"), QStringLiteral("50n"),
    QStringLiteral("20n"),  QStringLiteral("10n"),  QStringLiteral("5n"),
};

const QStringList kVoltEntries{
    QStringLiteral("100"),  QStringLiteral("50"),   QStringLiteral("20"),  QStringLiteral("10"),
    QStringLiteral("5"),    QStringLiteral("2"),    QStringLiteral("1"),   QStringLiteral("500m"),
    QStringLiteral("200m"), QStringLiteral("100m"), QStringLiteral("50m"), QStringLiteral("20m"),
    QStringLiteral("10m"),  QStringLiteral("5m"),   QStringLiteral("2m"),
};

const QStringList kGuidanceLines{
    QStringLiteral("ファイルからデーターを読み込ん"),
    QStringLiteral("だ場合は自動的に設定値が反映"),
    QStringLiteral("され、主要パラメータは保護され"),
    QStringLiteral("ます。MIRAVOからの波形取り込み"),
    QStringLiteral("で保護は解除されます。"),
    QString(),
    QStringLiteral("直接入力で補助単位を使用する"),
    QStringLiteral("場合は、国際単位系に基づき、"),
    QStringLiteral("補助単位を正確に入力してくだ"),
    QStringLiteral("さい。※指数表記等の数値も可"),
    QStringLiteral("  n: ﾅﾉ   u: ﾏｲｸﾛ  m: ﾐﾘ"),
    QStringLiteral("  k: ｷﾛ   M: ﾒｶﾞ   G: ｷﾞｶﾞ"),
};

const QColor kDarkBlue(0, 0, 192);
const QColor kWarningRed(255, 30, 30);

void paintLabel(QLabel* label, const QColor& background)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, Qt::white);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
}

QLabel* makeLabel(QWidget* parent, int index, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QStringLiteral("Label1_%1").arg(index));
    return label;
}

QComboBox* makeCombo(QWidget* parent, int index, const QStringList& entries, const QString& tip)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QStringLiteral("SetupCombo_%1").arg(index));
    combo->setEditable(true);
    // Typed texts are values, not new list entries, and stay as typed: completion would
    // turn a typed "1" into "100".
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setCompleter(nullptr);
    combo->addItems(entries);
    combo->setToolTip(tip);
    combo->setMaxVisibleItems(16);
    return combo;
}

} // namespace

SetupDialog::SetupDialog(const WaveRecord& record, Prompts& prompts, QWidget* parent, Clock clock)
    : QDialog(parent), m_record(record), m_prompts(prompts), m_clock(std::move(clock))
{
    if (!m_clock)
        m_clock = [] { return QDateTime::currentDateTime(); };
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("セットアップ情報"));
    setModal(true);
    buildControls();
    loadFromRecord();
}

void SetupDialog::buildControls()
{
    // Sweep and delay.
    m_combo[0] = makeCombo(this, 0, kSweepEntries, QStringLiteral("掃引速度"));
    m_delay = new QLineEdit(this);
    m_delay->setObjectName(QStringLiteral("Delay"));
    m_delay->setToolTip(QStringLiteral("遅延時間"));

    auto* timeRow = new QGridLayout;
    timeRow->addWidget(makeLabel(this, 3, QStringLiteral("Sweep")), 0, 0);
    timeRow->addWidget(m_combo[0], 0, 1);
    timeRow->addWidget(makeLabel(this, 0, QStringLiteral("sec/DIV")), 0, 2);
    timeRow->addWidget(makeLabel(this, 4, QStringLiteral("Delay")), 1, 0);
    timeRow->addWidget(m_delay, 1, 1);
    timeRow->addWidget(makeLabel(this, 1, QStringLiteral("sec")), 1, 2);
    timeRow->setColumnStretch(1, 1);

    // One frame per channel: volts per division and offset.
    auto* channels = new QHBoxLayout;
    for (int ch = 0; ch < 2; ++ch) {
        auto* frame = new QGroupBox(ch == 0 ? QStringLiteral(" Ch 1 ") : QStringLiteral(" Ch 2 "), this);
        frame->setObjectName(QStringLiteral("Frame1_%1").arg(ch));
        m_combo[ch + 1] = makeCombo(frame, ch + 1, kVoltEntries,
                                    ch == 0 ? QStringLiteral("CH1 電圧レンジ") : QStringLiteral("CH2 電圧レンジ"));
        m_offset[ch] = new QLineEdit(frame);
        m_offset[ch]->setObjectName(QStringLiteral("SetupOffset_%1").arg(ch));
        m_offset[ch]->setToolTip(ch == 0 ? QStringLiteral("CH1 オフセット") : QStringLiteral("CH2 オフセット"));

        const int first = 5 + 4 * ch;
        auto* grid = new QGridLayout(frame);
        grid->addWidget(makeLabel(frame, first, QStringLiteral("V Scale")), 0, 0);
        grid->addWidget(m_combo[ch + 1], 0, 1);
        grid->addWidget(makeLabel(frame, first + 1, QStringLiteral("V/DIV")), 0, 2);
        grid->addWidget(makeLabel(frame, first + 2, QStringLiteral("Offset")), 1, 0);
        grid->addWidget(m_offset[ch], 1, 1);
        grid->addWidget(makeLabel(frame, first + 3, QStringLiteral("DIV")), 1, 2);
        grid->setColumnStretch(1, 1);
        channels->addWidget(frame);
    }

    m_equSampling = new QCheckBox(QStringLiteral("等価サンプリング"), this);
    m_equSampling->setObjectName(QStringLiteral("EquSamplingCheck"));
    m_equSampling->setToolTip(QStringLiteral("等価ｻﾝﾌﾟﾘﾝｸﾞ波形はチェックを！"));
    m_dataLength = new QLabel(this);
    m_dataLength->setObjectName(QStringLiteral("DataLength"));
    m_dataLength->setAlignment(Qt::AlignCenter);
    m_dataLength->setMargin(3);
    paintLabel(m_dataLength, kDarkBlue);
    auto* equRow = new QHBoxLayout;
    equRow->addWidget(m_equSampling);
    equRow->addStretch(1);
    equRow->addWidget(m_dataLength);

    static const QString kButtonText[4] = {QStringLiteral("Date && Time"), QStringLiteral("OK"),
                                           QStringLiteral("Cancel"), QStringLiteral("設定確定")};
    static const QString kButtonTip[4] = {QStringLiteral("タイトルとして日付と時間を代入します"),
                                          QStringLiteral("確認＆終了"), QStringLiteral("設定破棄＆終了"),
                                          QStringLiteral("確定すると、設定値は保護され変更出来ません！")};
    for (int i = 0; i < 4; ++i) {
        m_command[i] = new QPushButton(kButtonText[i], this);
        m_command[i]->setObjectName(QStringLiteral("Command1_%1").arg(i));
        m_command[i]->setToolTip(kButtonTip[i]);
        // No default button: Enter in a text box must not close the dialog.
        m_command[i]->setAutoDefault(false);
        m_command[i]->setDefault(false);
        connect(m_command[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }

    m_title = new QLineEdit(this);
    m_title->setObjectName(QStringLiteral("Title"));
    m_title->setToolTip(QStringLiteral("タイトル欄"));
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(makeLabel(this, 2, QStringLiteral("Ｔｉｔｌｅ")));
    titleRow->addWidget(m_title, 1);
    titleRow->addWidget(m_command[0]);

    m_comment = new QLabel(this);
    m_comment->setObjectName(QStringLiteral("Comment"));
    m_comment->setAlignment(Qt::AlignCenter);
    m_comment->setMargin(4);

    m_guidance = new QPlainTextEdit(kGuidanceLines.join(QLatin1Char('\n')), this);
    m_guidance->setObjectName(QStringLiteral("Text1"));
    m_guidance->setReadOnly(true);
    m_guidance->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_guidance->setMinimumWidth(m_guidance->fontMetrics().horizontalAdvance(kGuidanceLines.first()) + 40);

    auto* inputs = new QVBoxLayout;
    inputs->addLayout(timeRow);
    inputs->addLayout(channels);
    inputs->addLayout(equRow);
    inputs->addLayout(titleRow);
    inputs->addWidget(m_comment);

    auto* upper = new QHBoxLayout;
    upper->addLayout(inputs, 3);
    upper->addWidget(m_guidance, 2);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_command[3]);
    buttons->addStretch(1);
    buttons->addWidget(m_command[1]);
    buttons->addWidget(m_command[2]);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(upper);
    layout->addLayout(buttons);
}

void SetupDialog::loadFromRecord()
{
    const SetupValues values = SetupValuesFromRecord(m_record);
    m_title->setText(values.title);
    m_combo[0]->setEditText(values.sweep);
    m_combo[1]->setEditText(values.volts[0]);
    m_combo[2]->setEditText(values.volts[1]);
    m_offset[0]->setText(values.offset[0]);
    m_offset[1]->setText(values.offset[1]);
    m_delay->setText(values.delay);
    m_dataLength->setText(DataLengthCaption(m_record.LastIndex));

    // A long record cannot be an equivalent-sampling one; the document has cleared its mark.
    m_equSampling->setChecked(values.equSampling);
    m_equSampling->setEnabled(EquSamplingAvailable(m_record.LastIndex));

    if (m_record.ParamsLocked == kTrue) {
        m_command[3]->hide();
        m_comment->setText(QStringLiteral("主要ﾊﾟﾗﾒｰﾀｰは保護されています！"));
        paintLabel(m_comment, kDarkBlue);
        for (QWidget* input : {static_cast<QWidget*>(m_combo[0]), static_cast<QWidget*>(m_combo[1]),
                               static_cast<QWidget*>(m_combo[2]), static_cast<QWidget*>(m_offset[0]),
                               static_cast<QWidget*>(m_offset[1]), static_cast<QWidget*>(m_delay),
                               static_cast<QWidget*>(m_equSampling)})
            input->setEnabled(false);
    } else {
        m_command[3]->show();
        m_comment->setText(QStringLiteral("パラメーター設定は慎重に！"));
        paintLabel(m_comment, kWarningRed);
    }

    m_warningArmed = m_record.FreshCapture == kTrue;
}

void SetupDialog::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!m_warningArmed)
        return;
    m_warningArmed = false;
    // Not from inside the paint: a message box runs its own event loop.
    QMetaObject::invokeMethod(this, &SetupDialog::showFreshCaptureWarning, Qt::QueuedConnection);
}

void SetupDialog::showFreshCaptureWarning()
{
    if (!isVisible())
        return;
    m_prompts.ask(this, QString(),
                  QStringLiteral("波形の新規取り込み直後です！\n\n時間軸・オフセット等は正確に設定してください！！"),
                  QMessageBox::Warning, QMessageBox::Ok, QMessageBox::Ok);
}

void SetupDialog::Command1_Click(int index)
{
    switch (index) {
    case 0:
        putDateTime();
        break;
    case 1:
        storeAndClose();
        break;
    case 3:
        confirmParameters();
        break;
    default:
        reject();
        break;
    }
}

void SetupDialog::putDateTime()
{
    m_prompts.beep();
    const auto answer = m_prompts.ask(this, QString(),
                                      QStringLiteral("タイトル枠へ現在の日付と時間を設定します。\nよろしいですか？"),
                                      QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes)
        m_title->setText(DateTimeTitle(m_clock()));
}

void SetupDialog::storeAndClose()
{
    SetupValues values;
    values.title = m_title->text();
    values.sweep = m_combo[0]->currentText();
    values.volts[0] = m_combo[1]->currentText();
    values.volts[1] = m_combo[2]->currentText();
    values.offset[0] = m_offset[0]->text();
    values.offset[1] = m_offset[1]->text();
    values.delay = m_delay->text();
    values.equSampling = m_equSampling->checkState() != Qt::Unchecked;
    // Protected values are the file's or the confirmed ones, whatever they are; only what
    // the user can still edit is checked.
    if (m_record.ParamsLocked != kTrue) {
        if (const std::optional<SetupRefusal> refusal = CheckSetupValues(values)) {
            m_confirmed = false;
            m_prompts.tell(this, QString(), refusal->message);
            QWidget* field = refusedInput(refusal->field);
            field->setFocus(Qt::OtherFocusReason);
            if (auto* combo = qobject_cast<QComboBox*>(field))
                combo->lineEdit()->selectAll();
            else
                static_cast<QLineEdit*>(field)->selectAll();
            return;
        }
    }
    m_stored = values;
    accept();
}

QWidget* SetupDialog::refusedInput(SetupRefusal::Field field) const
{
    switch (field) {
    case SetupRefusal::Field::Sweep:
        return m_combo[0];
    case SetupRefusal::Field::Volts1:
        return m_combo[1];
    case SetupRefusal::Field::Volts2:
        return m_combo[2];
    case SetupRefusal::Field::Offset1:
        return m_offset[0];
    case SetupRefusal::Field::Offset2:
        break;
    }
    return m_offset[1];
}

void SetupDialog::confirmParameters()
{
    const auto answer = m_prompts.ask(this, QStringLiteral("パラメーター確定の確認"),
                                      QStringLiteral("時間・電圧・位置のパラメーターを確定し保護します。\nよろしいですか？"),
                                      QMessageBox::NoIcon, QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes)
        return;
    m_confirmed = true;
    Command1_Click(1);
}

void OpenSetupDialog(WaveDocument& document, Prompts& prompts, QWidget* parent, bool afterCapture,
                     std::function<void()> closed)
{
    document.beginSetup();
    auto* dialog = new SetupDialog(document.record(), prompts, parent);
    QObject::connect(dialog, &QDialog::finished, &document, [&document, dialog, afterCapture, closed] {
        dialog->deleteLater();
        document.endSetup(dialog->stored(), dialog->confirmed(), afterCapture);
        if (closed)
            closed();
    });
    dialog->open();
}
