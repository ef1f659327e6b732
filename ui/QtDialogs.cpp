// SPDX-License-Identifier: MIT
#include "QtDialogs.h"

#include "FailureHints.h"
#include "FailureWords.h"
#include "Replaceable.h"
#include "RecentFolders.h"

#include <QApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

namespace morlith {
namespace {

using TDialogsService = TReplaceable<IDialogsInterface, TQtDialogs>;

} // namespace

IDialogsInterface &Dialogs()
{
    return TDialogsService::Current();
}

IDialogsInterface *InstallDialogs(IDialogsInterface *Replacement)
{
    return TDialogsService::Install(Replacement);
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

void SetUpOpenFileDialog(QFileDialog &dialog, const TFileFilter &Filter,
                         const TRecentFolders &Folders)
{
    const QString kind = QString::fromStdString(Filter.DefaultExt);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A new name may be typed in: a data-segment read creates its file.
    dialog.setFileMode(QFileDialog::AnyFile);
    const QString filter =
        QCoreApplication::translate("morlith::TFileFilter", Filter.Filter.c_str());
    dialog.setNameFilter(QtFileFilter(filter.toStdString()));
    dialog.setDefaultSuffix(kind);
    dialog.setDirectory(Folders.Folder(kind));
}

std::optional<std::string> TQtDialogs::OpenFile(const TFileFilter &Filter)
{
    TRecentFolders folders(TRecentFolders::DefaultSettingsFile());
    QFileDialog dialog(QApplication::activeWindow());
    SetUpOpenFileDialog(dialog, Filter, folders);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    folders.Remember(QString::fromStdString(Filter.DefaultExt), chosen.absolutePath());
    return chosen.absoluteFilePath().toStdString();
}

void TQtDialogs::ShowError(const std::string &Text, const std::string &Detail)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(),
                    QString::fromStdString(Text), QMessageBox::Ok, QApplication::activeWindow());
    if (!Detail.empty())
        box.setInformativeText(QString::fromStdString(Detail));
    box.exec();
}

QString UnbrokenPaths(const QString &text)
{
    const QChar wordJoiner(0x2060);
    QString out;
    out.reserve(text.size() + text.size() / 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == QLatin1Char('/') && i + 1 < text.size() && !text[i + 1].isSpace())
            out += wordJoiner;
    }
    return out;
}

namespace {

// Room the window manager takes from a caption for the window's icon and buttons, in pixels.
constexpr int kCaptionButtonsWidth = 160;

// Widens `Box` so that a window manager's caption shows `Title` whole instead of eliding it (a
// message box is otherwise only as wide as its text).
void KeepTitleWhole(QMessageBox &Box, const QString &Title)
{
    QFont captionFont = Box.font();
    captionFont.setBold(true);
    const int width = QFontMetrics(captionFont).horizontalAdvance(Title) + kCaptionButtonsWidth;
    if (auto *grid = qobject_cast<QGridLayout *>(Box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

} // namespace

std::unique_ptr<QMessageBox> MakeFailureBox(const QString &Title, const TFailure &Failure,
                                            QWidget *Parent)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Critical, Title, Title, QMessageBox::Ok,
                                             Parent);
    QString detail = UnbrokenPaths(FailureInWords(Failure));
    const std::string hint = FailureHint(Failure);
    if (!hint.empty())
        detail += QStringLiteral("\n\n") + UnbrokenPaths(QString::fromStdString(hint));
    box->setInformativeText(detail);
    KeepTitleWhole(*box, Title);
    return box;
}

void TQtDialogs::ShowFailure(const std::string &Title, const TFailure &Failure)
{
    MakeFailureBox(QString::fromStdString(Title), Failure, QApplication::activeWindow())->exec();
}

std::unique_ptr<QMessageBox> MakeQuestionBox(const QString &Text, QWidget *Parent)
{
    return std::make_unique<QMessageBox>(QMessageBox::Question,
                                         QApplication::applicationDisplayName(), Text,
                                         QMessageBox::Yes | QMessageBox::No, Parent);
}

bool TQtDialogs::Confirm(const std::string &Text)
{
    return MakeQuestionBox(QString::fromStdString(Text), QApplication::activeWindow())->exec() ==
           QMessageBox::Yes;
}

} // namespace morlith
