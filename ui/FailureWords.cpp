// SPDX-License-Identifier: MIT
#include "FailureWords.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cerrno>
#include <iterator>

namespace morlith {
namespace {

// The context of these texts' translations.
const char *const kContext = "morlith::FailureWords";

QString Tr(const char *Text) { return QCoreApplication::translate(kContext, Text); }

// A step the engine reports: its pattern (numbers captured) and its words, the captures as %1, %2.
struct TStepRow {
    const char *Pattern;
    const char *Words;
    // The module has begun to take a new application at this step.
    bool WritesApplication = false;
};

const TStepRow kSteps[] = {
    {"connecting", QT_TRANSLATE_NOOP("morlith::FailureWords", "connecting")},
    {"selecting controller (\\d+)",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "selecting controller %1")},
    {"selecting controller (\\d+) \\(its handshake\\)",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "the handshake after selecting controller %1")},
    {"loading the package", QT_TRANSLATE_NOOP("morlith::FailureWords", "loading the package")},
    {"checking the package", QT_TRANSLATE_NOOP("morlith::FailureWords", "checking the package")},
    {"writing the application",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the application")},
    {"writing the parameter block",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the parameter block"), true},
    {"starting the application write",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "starting the application write"), true},
    {"application chunk (\\d+) of (\\d+)",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the application, chunk %1 of %2"), true},
    {"reading the parameter block",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "reading the parameter block")},
    {"reading the data segment",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "reading the data segment")},
    {"reading the data segment \\((\\d+) bytes\\)",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "reading the data segment (%1 bytes)")},
    {"saving the data segment",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "saving the data segment to its file")},
    {"reading the data file", QT_TRANSLATE_NOOP("morlith::FailureWords", "reading the data file")},
    {"writing the data segment",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the data segment")},
    {"starting the data-segment write",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "starting the data-segment write")},
    {"data-segment chunk (\\d+) of (\\d+)",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the data segment, chunk %1 of %2")},
    {"saving the configuration",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "saving the configuration")},
    {"opening the production log",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "opening the operations log")},
    {"writing the production log",
     QT_TRANSLATE_NOOP("morlith::FailureWords", "writing the operations log")},
};

// The row whose pattern the whole step matches, with the match; null when none does.
const TStepRow *FindStep(const std::string &Step, QRegularExpressionMatch &Match)
{
    const QString step = QString::fromStdString(Step);
    for (const TStepRow &row : kSteps) {
        const QRegularExpression pattern(
            QRegularExpression::anchoredPattern(QString::fromLatin1(row.Pattern)));
        Match = pattern.match(step);
        if (Match.hasMatch())
            return &row;
    }
    return nullptr;
}

// Whether the record is about a file (a data file, a package, the log, the configuration)
// rather than the port.
bool AboutAFile(const TFailure &Failure)
{
    return !Failure.Path.empty() &&
           (Failure.Device.empty() || Failure.Kind == TFailureKind::fkFile ||
            Failure.Kind == TFailureKind::fkRefusedInput);
}

// What happened to the file `Path`, by kind.
QString WhatHappenedToFile(TFailureKind Kind, const QString &Path)
{
    switch (Kind) {
    case TFailureKind::fkNotFound:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "%1 does not exist.")).arg(Path);
    case TFailureKind::fkPermission:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "There is no permission to open %1."))
            .arg(Path);
    case TFailureKind::fkRefusedInput:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                    "The file %1 was refused: it is damaged or not what this "
                                    "operation takes."))
            .arg(Path);
    default:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                    "The file %1 cannot be read or written."))
            .arg(Path);
    }
}

// What happened on the port, by kind; `Device` is the device opened, "" when the record names
// none.
QString WhatHappenedOnThePort(TFailureKind Kind, const QString &Device)
{
    const bool named = !Device.isEmpty();
    switch (Kind) {
    case TFailureKind::fkNotFound:
        return named ? Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "There is no device at %1."))
                           .arg(Device)
                     : Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "The port has no device."));
    case TFailureKind::fkPermission:
        return named ? Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "There is no permission to open %1."))
                           .arg(Device)
                     : Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "There is no permission to open the port."));
    case TFailureKind::fkBusy:
        return named ? Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "%1 is in use by another program."))
                           .arg(Device)
                     : Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "The port is in use by another program."));
    case TFailureKind::fkHangUp:
        return named ? Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "The port %1 went away (adapter unplugged?)."))
                           .arg(Device)
                     : Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                            "The port went away (adapter unplugged?)."));
    case TFailureKind::fkNoReply:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "The module did not answer."));
    case TFailureKind::fkBadReply:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "The module's reply was garbled."));
    case TFailureKind::fkRefusedInput:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                    "The input was refused: it is damaged or not what this "
                                    "operation takes."));
    case TFailureKind::fkFile:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "A file cannot be read or written."));
    case TFailureKind::fkStopped:
        return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "The operation was stopped."));
    case TFailureKind::fkOs:
    case TFailureKind::fkStore: // worded by WhatHappenedInTheStore
    case TFailureKind::fkNone:
        break;
    }
    return Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "The system reported an error."));
}

// Why the shared store failed, by the record's reason (its stable words), naming the store or not.
struct TStoreReasonRow {
    const char *Reason;
    const char *Named;
    const char *Unnamed;
};

const TStoreReasonRow kStoreReasons[] = {
    {"unreachable", QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store %1 cannot be reached."),
     QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store cannot be reached.")},
    {"refused", QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store %1 refused the work."),
     QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store refused the work.")},
    {"authentication",
     QT_TRANSLATE_NOOP("morlith::FailureWords",
                       "The shared store %1 did not accept the user name or password."),
     QT_TRANSLATE_NOOP("morlith::FailureWords",
                       "The shared store did not accept the user name or password.")},
    {"schema",
     QT_TRANSLATE_NOOP("morlith::FailureWords",
                       "The shared store %1 is not set up for this version of Morlith."),
     QT_TRANSLATE_NOOP("morlith::FailureWords",
                       "The shared store is not set up for this version of Morlith.")},
    // A reason this version does not know.
    {"", QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store %1 failed."),
     QT_TRANSLATE_NOOP("morlith::FailureWords", "The shared store failed.")},
};

// What happened to the shared store `Store` ("" when the record names none), by `Reason`.
QString WhatHappenedInTheStore(const std::string &Reason, const QString &Store)
{
    const TStoreReasonRow *row = std::end(kStoreReasons) - 1;
    for (const TStoreReasonRow &candidate : kStoreReasons)
        if (Reason == candidate.Reason) {
            row = &candidate;
            break;
        }
    return Store.isEmpty() ? Tr(row->Unnamed) : Tr(row->Named).arg(Store);
}

// What happened, by kind, naming the file, the device or the store.
QString WhatHappened(const TFailure &Failure)
{
    if (Failure.Kind == TFailureKind::fkStore)
        return WhatHappenedInTheStore(Failure.Reason, QString::fromStdString(Failure.Device));
    if (Failure.Kind != TFailureKind::fkStopped && AboutAFile(Failure))
        return WhatHappenedToFile(Failure.Kind, QString::fromStdString(Failure.Path));
    return WhatHappenedOnThePort(Failure.Kind, QString::fromStdString(Failure.Device));
}

#ifndef _WIN32
// An operating-system error number the operator may meet here, and its words. (On Windows the
// record's number is the system's own error code, whose text comes in the user's language.)
struct TOsErrorRow {
    int Number;
    const char *Words;
};

const TOsErrorRow kOsErrors[] = {
    {ENOENT, QT_TRANSLATE_NOOP("morlith::FailureWords", "no such file or directory")},
    {EACCES, QT_TRANSLATE_NOOP("morlith::FailureWords", "permission denied")},
    {EPERM, QT_TRANSLATE_NOOP("morlith::FailureWords", "operation not permitted")},
    {EBUSY, QT_TRANSLATE_NOOP("morlith::FailureWords", "device or resource busy")},
    {EIO, QT_TRANSLATE_NOOP("morlith::FailureWords", "input/output error")},
    {ENXIO, QT_TRANSLATE_NOOP("morlith::FailureWords", "no such device or address")},
    {ENODEV, QT_TRANSLATE_NOOP("morlith::FailureWords", "no such device")},
    {ENOSPC, QT_TRANSLATE_NOOP("morlith::FailureWords", "no space left on the device")},
    {EROFS, QT_TRANSLATE_NOOP("morlith::FailureWords", "read-only file system")},
    {EISDIR, QT_TRANSLATE_NOOP("morlith::FailureWords", "it is a folder")},
    {ENOTDIR, QT_TRANSLATE_NOOP("morlith::FailureWords", "a part of the path is not a folder")},
    {EAGAIN, QT_TRANSLATE_NOOP("morlith::FailureWords", "resource temporarily unavailable")},
    {EPIPE, QT_TRANSLATE_NOOP("morlith::FailureWords", "the other end is closed")},
    {EDQUOT, QT_TRANSLATE_NOOP("morlith::FailureWords", "disk quota exceeded")},
};
#endif

// The system's reason: a known error number in words; else the system's own text where it is in
// the words of the box (on Windows, or in English), the number otherwise.
QString SystemReason(const TFailure &Failure)
{
    const char *const numbered = QT_TRANSLATE_NOOP("morlith::FailureWords", "error %1");
#ifdef _WIN32
    const bool systemSpeaksTheBoxLanguage = true;
#else
    for (const TOsErrorRow &row : kOsErrors)
        if (row.Number == Failure.OsError)
            return Tr(row.Words);
    const bool systemSpeaksTheBoxLanguage = Tr(numbered) == QLatin1String(numbered);
#endif
    if (systemSpeaksTheBoxLanguage && !Failure.OsText.empty())
        return QString::fromStdString(Failure.OsText);
    return Tr(numbered).arg(Failure.OsError);
}

} // namespace

std::optional<QString> StepInWords(const std::string &Step)
{
    QRegularExpressionMatch match;
    const TStepRow *row = FindStep(Step, match);
    if (!row)
        return std::nullopt;
    QString words = Tr(row->Words);
    for (int i = 1; i <= match.lastCapturedIndex(); ++i)
        words = words.arg(match.captured(i));
    return words;
}

QString FailureInWords(const TFailure &Failure)
{
    QStringList lines{WhatHappened(Failure)};
    if (!Failure.Step.empty()) {
        const QString step = StepInWords(Failure.Step).value_or(QString::fromStdString(Failure.Step));
        lines << Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "Step: %1.")).arg(step);
    }
    const bool exchange = Failure.Kind == TFailureKind::fkNoReply ||
                          Failure.Kind == TFailureKind::fkBadReply;
    if (exchange && Failure.Command >= 0 && Failure.BytesExpected > 0)
        lines << Tr(QT_TRANSLATE_NOOP("morlith::FailureWords",
                                      "Reply to command \"%1\": %2 of %3 bytes received."))
                     .arg(QChar(Failure.Command))
                     .arg(Failure.BytesReceived)
                     .arg(Failure.BytesExpected);
    if (Failure.OsError != 0)
        lines << Tr(QT_TRANSLATE_NOOP("morlith::FailureWords", "System: %1.")).arg(SystemReason(Failure));
    return lines.join(QLatin1Char('\n'));
}

bool LeavesPartialApplication(const TFailure &Failure)
{
    QRegularExpressionMatch match;
    const TStepRow *row = FindStep(Failure.Step, match);
    return Failure.Failed() && Failure.Kind != TFailureKind::fkRefusedInput && row &&
           row->WritesApplication;
}

} // namespace morlith
