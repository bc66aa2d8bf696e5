#include "cli/CliSettings.h"

#include <QDir>
#include <QStandardPaths>
#include <filesystem>

CliSettings ReadCliSettings(const QString& path)
{
    CliSettings read;
    const bool named = !path.isEmpty();
    // The window program's rule: the working directory's file, else the configuration folder's.
    const std::filesystem::path file =
        named ? std::filesystem::path(path.toStdString())
              : SettingsPathFor(QDir::currentPath().toStdString(),
                                (QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                                 QStringLiteral("/miravo-link"))
                                    .toStdString());
    read.file = file;
    // Only a path that names something goes to the reader, so that nothing is created.
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) {
        if (named)
            read.failure = QStringLiteral("設定ファイル %1 がありません。").arg(path);
        return read;
    }
    // A file named for this run must be one: defaults in its place would go unnoticed.
    if (named && !std::filesystem::is_regular_file(std::filesystem::status(file, error))) {
        read.failure = QStringLiteral("設定ファイル %1 は通常のファイルではありません（フォルダー、デバイス、行き先のないリンクなど）。").arg(path);
        return read;
    }
    const SettingsReadResult result = ReadSettings(file);
    read.settings = result.settings;
    for (const std::string& problem : result.problems)
        read.notes << QString::fromStdString(problem);
    return read;
}
