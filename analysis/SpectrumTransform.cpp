#include "analysis/SpectrumTransform.h"

#include <fftw3.h>

#include <algorithm>
#include <list>

namespace {

// Lengths kept ready: the record's and a few cursor windows'.
constexpr std::size_t kKeptLengths = 6;

std::mutex& plannerLock()
{
    static std::mutex lock;
    return lock;
}

} // namespace

std::shared_ptr<const SpectrumTransform> SpectrumTransform::forLength(int n)
{
    static std::mutex cacheLock;
    static std::list<std::shared_ptr<const SpectrumTransform>> recent;   // most recent first
    std::scoped_lock lock(cacheLock);
    const auto found = std::find_if(recent.begin(), recent.end(), [n](const auto& t) { return t->size() == n; });
    if (found != recent.end()) {
        recent.splice(recent.begin(), recent, found);
        return recent.front();
    }
    recent.push_front(std::shared_ptr<const SpectrumTransform>(new SpectrumTransform(n)));
    if (recent.size() > kKeptLengths)
        recent.pop_back();
    return recent.front();
}

SpectrumTransform::SpectrumTransform(int n) : m_size(n)
{
    // ESTIMATE plans in microseconds without touching the arrays; MEASURE would take far
    // longer than the transforms it saves for lengths a cursor window passes through once.
    Buffers scratch(*this);
    std::scoped_lock lock(plannerLock());
    m_plan = fftw_plan_dft_r2c_1d(n, scratch.m_input, reinterpret_cast<fftw_complex*>(scratch.m_output),
                                  FFTW_ESTIMATE);
}

SpectrumTransform::~SpectrumTransform()
{
    std::scoped_lock lock(plannerLock());
    fftw_destroy_plan(static_cast<fftw_plan>(m_plan));
}

const WindowTable& SpectrumTransform::window(WindowKind kind) const
{
    const std::size_t slot = std::size_t(kind);
    std::call_once(m_windowOnce[slot], [&] {
        WindowTable& table = m_windows[slot];
        table.values = WindowValues(kind, m_size);
        for (double w : table.values) {
            table.sum += w;
            table.sumOfSquares += w * w;
        }
    });
    return m_windows[slot];
}

SpectrumTransform::Buffers::Buffers(const SpectrumTransform& transform)
    : m_inputSize(std::size_t(transform.size())), m_outputSize(std::size_t(transform.bins()))
{
    m_input = fftw_alloc_real(m_inputSize);
    m_output = reinterpret_cast<std::complex<double>*>(fftw_alloc_complex(m_outputSize));
}

SpectrumTransform::Buffers::~Buffers()
{
    fftw_free(m_input);
    fftw_free(m_output);
}

void SpectrumTransform::run(Buffers& buffers) const
{
    // The buffers come from fftw_alloc_*, so they have the plan's alignment.
    fftw_execute_dft_r2c(static_cast<fftw_plan>(m_plan), buffers.m_input,
                         reinterpret_cast<fftw_complex*>(buffers.m_output));
}
