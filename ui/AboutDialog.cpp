#include "ui/AboutDialog.h"

#include "ui/AppIcon.h"
#include "core/AppIdentity.h"
#include "ui/Prompts.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {

QFrame* makeLine(QWidget* parent, int index)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1_%1").arg(index));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

} // namespace

AboutDialog::AboutDialog(Prompts& prompts, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8(AppIdentity::kTitle) + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(DrawAppIcon(64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = makeLabel(this, "lblTitle", QString::fromUtf8(AppIdentity::kTitle));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = makeLabel(this, "lblVersion", QStringLiteral("Version ") + QString::fromUtf8(AppIdentity::kVersion));
    auto* description = makeLabel(this, "lblDescription",
                                  QStringLiteral("このプログラムは") + QString::fromUtf8(AppIdentity::kInstrumentMaker) +
                                      QStringLiteral("製\n"
                                                     "オシロスコープ MIRAVO KT-4410 とPCの\n"
                                                     "連携利用を目的としたプログラムです。\n"
                                                     "お問合せは下記参照のうえ、お気軽に！"));
    auto* disclaimer = makeLabel(this, "lblDisclaimer",
                                 QString::fromUtf8(AppIdentity::kCompany) + QStringLiteral("\nCopyright (C) ") +
                                     QString::fromUtf8(AppIdentity::kRightsHolder));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version);
    text->addWidget(makeLine(this, 0));
    text->addWidget(description);
    text->addWidget(makeLine(this, 1));
    text->addWidget(disclaimer);
    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    prompts.beep();
}
