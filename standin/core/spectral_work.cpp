#include "spectral_work.h"

#include <windows.h>

#include <cmath>
#include <complex>
#include <vector>

namespace standin {
namespace {

constexpr size_t kFrame = 256;
constexpr double kPi = 3.14159265358979323846;

void Fft(std::vector<std::complex<double>>& x)
{
    const size_t n = x.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(x[i], x[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        double angle = -2 * kPi / static_cast<double>(len);
        std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                std::complex<double> u = x[i + k], v = x[i + k + len / 2] * w;
                x[i + k] = u + v;
                x[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

} // namespace

double SpectralPass(const float* samples, size_t count)
{
    std::vector<std::complex<double>> frame(kFrame);
    double checksum = 0;
    for (size_t start = 0; start < count; start += kFrame) {
        for (size_t i = 0; i < kFrame; ++i) {
            double hann = 0.5 - 0.5 * std::cos(2 * kPi * static_cast<double>(i) / kFrame);
            frame[i] = start + i < count ? samples[start + i] * hann : 0.0;
        }
        Fft(frame);
        for (size_t i = 0; i < kFrame / 2; ++i)
            checksum += std::log(std::norm(frame[i]) + 1e-12);
    }
    return checksum;
}

double WorkFor(double milliseconds, const float* samples, size_t count)
{
    std::vector<float> synthetic;
    if (count == 0) {
        synthetic.resize(kFrame * 4);
        for (size_t i = 0; i < synthetic.size(); ++i)
            synthetic[i] = static_cast<float>(std::sin(0.05 * static_cast<double>(i * i % 977)));
        samples = synthetic.data();
        count = synthetic.size();
    }
    const long long until = NowMicroseconds() + static_cast<long long>(milliseconds * 1000);
    double checksum = 0;
    do {
        checksum += SpectralPass(samples, count);
    } while (NowMicroseconds() < until);
    return checksum;
}

long long NowMicroseconds()
{
    static const long long frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    return c.QuadPart / frequency * 1000000 + c.QuadPart % frequency * 1000000 / frequency;
}

} // namespace standin
