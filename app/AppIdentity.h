#pragma once
// Who and what the program is: the texts of the splash, the version window and the
// message boxes that have no caption of their own.

#include <QString>

namespace AppIdentity {

inline constexpr int kMajor = 1;
inline constexpr int kMinor = 0;
inline constexpr int kRevision = 0;

inline QString title() { return QStringLiteral("MIRAVO Link Tool"); }
inline QString company() { return QStringLiteral("MIRAVO Link Tool project"); }
inline QString rightsHolder() { return QStringLiteral("MIRAVO Link Tool contributors"); }
// The maker of the instrument the program links with.
inline QString instrumentMaker() { return QStringLiteral("MIRAVO"); }

inline QString versionNumber()
{
    return QStringLiteral("%1.%2.%3").arg(kMajor).arg(kMinor).arg(kRevision);
}

// One line naming the maker and the holder of the rights, for the splash and the
// version window and the title label's tooltip.
inline QString credit()
{
    return QStringLiteral("Copyright (C) %1  /  %2").arg(rightsHolder(), company());
}

} // namespace AppIdentity
