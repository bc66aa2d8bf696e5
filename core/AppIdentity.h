#pragma once
// Who and what the program is: the texts of the splash, the version window, the command
// lines and the message boxes that have no caption of their own. Plain UTF-8 text so the
// programs without widgets share it; Qt callers convert with QString::fromUtf8.

#include <string_view>

namespace AppIdentity {

inline constexpr std::string_view kTitle = "MIRAVO Link Tool";
inline constexpr std::string_view kVersion = "1.0.0";
inline constexpr std::string_view kCompany = "MIRAVO Link Tool project";
inline constexpr std::string_view kRightsHolder = "MIRAVO Link Tool contributors";
// The maker of the instrument the program links with.
inline constexpr std::string_view kInstrumentMaker = "MIRAVO";
// One line naming the maker and the holder of the rights, for the splash, the version window
// and the title label's tooltip.
inline constexpr std::string_view kCredit =
    "Copyright (C) MIRAVO Link Tool contributors  /  MIRAVO Link Tool project";

} // namespace AppIdentity
