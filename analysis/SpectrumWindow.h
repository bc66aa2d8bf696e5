#pragma once
// The window functions of the spectrum: cosine sums in their periodic form (the form whose
// transform has its nulls on whole bins), with the gains that turn a windowed transform
// back into volts.

#include <optional>
#include <string_view>
#include <vector>

enum class WindowKind { Rectangular, Hann, Hamming, BlackmanHarris, FlatTop };

inline constexpr WindowKind kDefaultWindow = WindowKind::Hann;
inline constexpr WindowKind kAllWindows[] = {WindowKind::Rectangular, WindowKind::Hann, WindowKind::Hamming,
                                             WindowKind::BlackmanHarris, WindowKind::FlatTop};

// "rectangular", "hann", "hamming", "blackman-harris", "flat-top": the names the command
// line takes and the files write.
std::string_view WindowName(WindowKind kind);
std::optional<WindowKind> WindowFromName(std::string_view name);

// Half the width of the main lobe in bins (the first null of a cosine sum of K terms is K
// bins from its centre): what a tone's power is summed over, and how far apart peaks are.
int MainLobeHalfWidth(WindowKind kind);

// The n window values w[i] = sum_k (-1)^k a_k cos(2 pi k i / n).
std::vector<double> WindowValues(WindowKind kind, int n);
