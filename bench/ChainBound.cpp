#include "ChainBound.h"

#include <emmintrin.h>

namespace sweepfilter::bench
{

double softChainBound(std::int64_t frames) noexcept
{
    // y = (1 - 0.5 * y) - 0.25 settles at 0.5: no overflow, no subnormals.
    __m128d y = _mm_set1_pd(0.0);
    const __m128d a1 = _mm_set1_pd(0.5);
    const __m128d term = _mm_set1_pd(1.0);
    const __m128d product = _mm_set1_pd(0.25);
    __m128d scratch;
    // One instruction a line.
    // clang-format off
    asm volatile(
        "1:\n\t"
        "cvtpd2ps %[y], %[y]\n\t"
        "cvtps2pd %[y], %[y]\n\t"
        "mulpd %[a1], %[y]\n\t"
        "movapd %[term], %[s]\n\t"
        "subpd %[y], %[s]\n\t"
        "subpd %[product], %[s]\n\t"
        "movapd %[s], %[y]\n\t"
        "dec %[n]\n\t"
        "jnz 1b\n\t"
        : [y] "+x"(y), [s] "=&x"(scratch), [n] "+r"(frames)
        : [a1] "x"(a1), [term] "x"(term), [product] "x"(product)
        : "cc");
    // clang-format on
    return _mm_cvtsd_f64(y);
}

double hardChainBound(std::int64_t frames) noexcept
{
    // f = 0.5, feedback 1.5, input 1: both stages settle at 1.
    __m128d s1 = _mm_set1_pd(0.0), s2 = _mm_set1_pd(0.0);
    const __m128d fb = _mm_set1_pd(1.5), f = _mm_set1_pd(0.5), x = _mm_set1_pd(1.0);
    __m128d t, u;
    // One instruction a line.
    // clang-format off
    asm volatile(
        "1:\n\t"
        "movapd %[s1], %[t]\n\t"
        "subpd %[s2], %[t]\n\t"  // s1 - s2
        "mulpd %[fb], %[t]\n\t"  // * fb
        "movapd %[x], %[u]\n\t"
        "subpd %[s1], %[u]\n\t"  // x - s1, beside the chain
        "addpd %[u], %[t]\n\t"
        "mulpd %[f], %[t]\n\t"
        "addpd %[s1], %[t]\n\t"
        "cvtpd2ps %[t], %[t]\n\t"
        "cvtps2pd %[t], %[s1]\n\t" // new s1
        "movapd %[s1], %[t]\n\t"
        "subpd %[s2], %[t]\n\t"
        "mulpd %[f], %[t]\n\t"
        "addpd %[s2], %[t]\n\t"
        "cvtpd2ps %[t], %[t]\n\t"
        "cvtps2pd %[t], %[s2]\n\t" // new s2
        "dec %[n]\n\t"
        "jnz 1b\n\t"
        : [s1] "+x"(s1), [s2] "+x"(s2), [t] "=&x"(t), [u] "=&x"(u), [n] "+r"(frames)
        : [fb] "x"(fb), [f] "x"(f), [x] "x"(x)
        : "cc");
    // clang-format on
    return _mm_cvtsd_f64(s2);
}

} // namespace sweepfilter::bench
