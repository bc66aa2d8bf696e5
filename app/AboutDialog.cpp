#include "app/AboutDialog.h"

#include "app/AppIcon.h"
#include "app/AppIdentity.h"
#include "files/Prompts.h"

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
    setWindowTitle(AppIdentity::title() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("picIcon"));
    icon->setPixmap(DrawAppIcon(64));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = makeLabel(this, "lblTitle", AppIdentity::title());
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);
    auto* version = makeLabel(this, "lblVersion", QStringLiteral("Version ") + AppIdentity::versionNumber());
    auto* description = makeLabel(this, "lblDescription",
                                  QStringLiteral("このプログラムは") + AppIdentity::instrumentMaker() +
                                      QStringLiteral("製\n"
                                                     "オシロスコープ MIRAVO KT-4410 とPCの\n"
                                                     "連携利用を目的としたプログラムです。\n"
                                                     "お問合せは下記参照のうえ、お気軽に！"));
    auto* disclaimer = makeLabel(this, "lblDisclaimer",
                                 AppIdentity::company() + QStringLiteral("\nCopyright (C) ") +
                                     AppIdentity::rightsHolder());

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
