#include "QtDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace morlith {
namespace {

IDialogsInterface *InstalledDialogs = nullptr;

} // namespace

IDialogsInterface &Dialogs()
{
    static TQtDialogs qtDialogs;
    return InstalledDialogs ? *InstalledDialogs : qtDialogs;
}

IDialogsInterface *InstallDialogs(IDialogsInterface *Replacement)
{
    return std::exchange(InstalledDialogs, Replacement);
}

QString QtFileFilter(const std::string &Filter)
{
    const QString text = QString::fromStdString(Filter);
    const qsizetype bar = text.indexOf(QLatin1Char('|'));
    if (bar < 0)
        return text;
    const QString description = text.left(bar);
    const QString pattern = text.mid(bar + 1);
    if (description.contains(QLatin1Char('(') + pattern + QLatin1Char(')')))
        return description;
    return description + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

std::optional<std::string> TQtDialogs::OpenFile(const TFileFilter &Filter)
{
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A new name may be typed in: a data-segment read creates its file.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QtFileFilter(Filter.Filter));
    dialog.setDefaultSuffix(QString::fromStdString(Filter.DefaultExt));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath().toStdString();
}

void TQtDialogs::ShowError(const std::string &Text, const std::string &Detail)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromStdString(Text), QMessageBox::Ok, QApplication::activeWindow());
    if (!Detail.empty())
        box.setInformativeText(QString::fromStdString(Detail));
    box.exec();
}

bool TQtDialogs::Confirm(const std::string &Text)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(),
                    QString::fromStdString(Text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    return box.exec() == QMessageBox::Yes;
}

} // namespace morlith
