#pragma once
// The real-to-complex transform of one length through FFTW, with that length's windows.
// A plan is made once per length and kept: the record's length is the same capture after
// capture, and the cursor window's length changes while a cursor moves, so the few lengths
// used last stay ready. FFTW's planner is not thread-safe (running a plan is); every plan
// is made and destroyed under one lock here, and nothing else in the program plans.

#include "analysis/SpectrumWindow.h"

#include <array>
#include <complex>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

struct WindowTable {
    std::vector<double> values;
    double sum = 0;            // the coherent gain times n: a tone's amplitude scale
    double sumOfSquares = 0;   // the power scale (Parseval through the window)
};

class SpectrumTransform {
public:
    // The transform of n >= 2 samples, shared with every other caller of that length.
    static std::shared_ptr<const SpectrumTransform> forLength(int n);

    ~SpectrumTransform();
    SpectrumTransform(const SpectrumTransform&) = delete;
    SpectrumTransform& operator=(const SpectrumTransform&) = delete;

    int size() const { return m_size; }
    int bins() const { return m_size / 2 + 1; }
    // Built on first use, then shared.
    const WindowTable& window(WindowKind kind) const;

    // Room for one run, aligned as FFTW wants it: size() inputs, bins() outputs.
    class Buffers {
    public:
        explicit Buffers(const SpectrumTransform& transform);
        ~Buffers();
        Buffers(const Buffers&) = delete;
        Buffers& operator=(const Buffers&) = delete;
        std::span<double> input() { return {m_input, m_inputSize}; }
        std::span<const std::complex<double>> output() const { return {m_output, m_outputSize}; }

    private:
        friend class SpectrumTransform;
        double* m_input;
        std::complex<double>* m_output;
        std::size_t m_inputSize;
        std::size_t m_outputSize;
    };

    // The transform of buffers.input() into buffers.output(); the input stays as it was.
    void run(Buffers& buffers) const;

private:
    explicit SpectrumTransform(int n);

    int m_size;
    void* m_plan;   // fftw_plan, kept out of this header
    mutable std::array<std::once_flag, std::size(kAllWindows)> m_windowOnce;
    mutable std::array<WindowTable, std::size(kAllWindows)> m_windows;
};
