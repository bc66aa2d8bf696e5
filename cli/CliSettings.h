#pragma once
// The settings file as miravo-cli reads it: the same record as the window program's,
// but never created or written. A missing default file means the defaults; a file named
// with --settings that is missing or not a regular file is an error.

#include "core/EnvSettings.h"

#include <QString>
#include <QStringList>

struct CliSettings {
    EnvSettings settings;
    QStringList notes;   // what was replaced by defaults, one sentence each
    QString failure;     // set when the run cannot go on
    std::filesystem::path file;   // the file read, or where the window program would create it
};

// path: the --settings value, or empty for MV_UTL.ENV in the working directory, or where
// there is none, in the user's configuration folder (~/.config/miravo-link).
CliSettings ReadCliSettings(const QString& path);
