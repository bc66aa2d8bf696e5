// Placeholder bodies so the tree links; the real conversions replace them.
#include "files/EngNumber.h"

std::string NumberText(float) { return "0"; }
std::string FormatEng(float, std::string_view) { return "0 "; }
float ParseEng(std::string_view) { return 0; }
std::string FileExtension(std::string_view) { return {}; }
