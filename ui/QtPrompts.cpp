#include "ui/Prompts.h"

#include "core/AppIdentity.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QPushButton>
#include <QStringList>

#include <algorithm>

namespace {

QString captionOrTitle(const QString& caption)
{
    return caption.isEmpty() ? QString::fromUtf8(AppIdentity::kTitle) : caption;
}

std::optional<Prompts::SaveName> runFileDialog(QWidget* parent, const QString& title, const QString& filter,
                                               int selectedFilter, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(mode);
    // Open: the file and its folder must exist. Save: ask before overwriting.
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = filter.split(QStringLiteral(";;"));
    if (selectedFilter >= 0 && selectedFilter < filters.size())
        dialog.selectNameFilter(filters.at(selectedFilter));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return Prompts::SaveName{dialog.selectedFiles().constFirst(),
                             int(std::max<qsizetype>(filters.indexOf(dialog.selectedNameFilter()), 0))};
}

} // namespace

QMessageBox::StandardButton QtPrompts::ask(QWidget* parent, const QString& caption, const QString& text,
                                           QMessageBox::Icon icon, QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, captionOrTitle(caption), text, buttons, parent);
    // Texts carry file names and instrument replies: never taken as markup.
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

std::optional<QString> QtPrompts::openFileName(QWidget* parent, const QString& title, const QString& filter,
                                               int selectedFilter)
{
    const std::optional<SaveName> chosen = runFileDialog(parent, title, filter, selectedFilter, QFileDialog::AcceptOpen);
    if (!chosen)
        return std::nullopt;
    return chosen->path;
}

std::optional<Prompts::SaveName> QtPrompts::saveFileName(QWidget* parent, const QString& title, const QString& filter,
                                                        int selectedFilter)
{
    return runFileDialog(parent, title, filter, selectedFilter, QFileDialog::AcceptSave);
}

std::optional<QColor> QtPrompts::chooseColor(QWidget* parent, const QString& title)
{
    const QColor chosen = QColorDialog::getColor(Qt::white, parent, title);
    if (!chosen.isValid())
        return std::nullopt;
    return chosen;
}

void QtPrompts::beep()
{
    QApplication::beep();
}

bool QtPrompts::tellOrAct(QWidget* parent, const QString& caption, const QString& text, const QString& action)
{
    QMessageBox box(QMessageBox::Warning, captionOrTitle(caption), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    QPushButton* act = box.addButton(action, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return box.clickedButton() == act;
}
