// Forsythe's method: orthogonal polynomials over the points, so that each
// coefficient is a ratio of sums and no normal equations are solved.
#include "model/PolynomialFit.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

double CPolynomial::Evaluate(double x) const {
    if (m_nDegree < 0)
        return 0.0;
    double dSum = 0.0;
    for (int k = 0; k <= std::min<int>(m_nDegree, kMaxDegree); ++k)
        dSum += m_c[k] * std::pow(x, k);
    return dSum;
}

namespace {

CPolynomial Combine(const CPolynomial& a, const CPolynomial& b, double dSign) {
    CPolynomial r;
    r.m_nDegree = std::max(a.m_nDegree, b.m_nDegree);
    for (int k = 0; k <= CPolynomial::kMaxDegree; ++k)
        r.m_c[k] = a.m_c[k] + dSign * b.m_c[k];
    return r;
}

CPolynomial Constant(double d) {
    CPolynomial r;
    r.m_c[0] = d;
    return r;
}

CPolynomial Linear(double dConst, double dSlope) {
    CPolynomial r;
    r.m_nDegree = 1;
    r.m_c[0] = dConst;
    r.m_c[1] = dSlope;
    return r;
}

} // namespace

CPolynomial operator+(const CPolynomial& a, const CPolynomial& b) {
    return Combine(a, b, 1.0);
}
CPolynomial operator-(const CPolynomial& a, const CPolynomial& b) {
    return Combine(a, b, -1.0);
}

CPolynomial operator*(const CPolynomial& a, const CPolynomial& b) {
    CPolynomial r;
    r.m_nDegree = std::min(a.m_nDegree + b.m_nDegree, CPolynomial::kMaxDegree);
    for (int i = 0; i <= std::min<int>(a.m_nDegree, CPolynomial::kMaxDegree); ++i)
        for (int j = 0;
             j <= std::min<int>(b.m_nDegree, CPolynomial::kMaxDegree) && i + j <= CPolynomial::kMaxDegree;
             ++j)
            r.m_c[i + j] += a.m_c[i] * b.m_c[j];
    return r;
}

CPolynomialFit::CPolynomialFit(int nDegree, const double* pX, const double* pY, int nPoints) {
    m_nDegree = nDegree;
    m_pX = pX;
    m_pY = pY;
    m_nPoints = nPoints;
    if (nDegree < 0 || nDegree > kMaxDegree || !pX || !pY || nPoints <= 0) {
        m_nDegree = -1;
        return;
    }
    Fit();
}

// A basis polynomial that vanishes at every point still leaves rounding
// noise in its norm (x minus the mean of equal x's is not exactly 0); a norm
// far below the previous one times the size of x counts as 0, or the noise
// would be fitted as a huge coefficient.
void CPolynomialFit::Fit() {
    double dScale = 0.0;
    for (int i = 0; i < m_nPoints; ++i)
        dScale = std::max(dScale, m_pX[i] * m_pX[i]);
    const double dNoise = (64.0 * DBL_EPSILON) * (64.0 * DBL_EPSILON) * std::max(dScale, 1.0);

    CPolynomial prev = Constant(0.0);
    CPolynomial cur = Constant(1.0);
    CPolynomial result = Constant(0.0);
    double dPrevNorm = 0.0;
    for (int k = 0; k <= m_nDegree; ++k) {
        double dNorm = 0.0, dYSum = 0.0, dXSum = 0.0;
        for (int i = 0; i < m_nPoints; ++i) {
            double p = cur.Evaluate(m_pX[i]);
            dNorm += p * p;
            dYSum += p * m_pY[i];
            dXSum += m_pX[i] * p * p;
        }
        if (k > 0 && dNorm <= dNoise * dPrevNorm)
            dNorm = 0.0;
        cur.m_dNorm = dNorm;
        cur.m_dCoef = cur.m_dAlpha = cur.m_dBeta = 0.0;
        if (dNorm != 0.0) {
            cur.m_dCoef = dYSum / dNorm;
            cur.m_dAlpha = dXSum / dNorm;
            cur.m_dBeta = dPrevNorm != 0.0 ? dNorm / dPrevNorm : 0.0;
        }
        result = result + Constant(cur.m_dCoef) * cur;
        // Once one basis polynomial vanishes at the points, so do all the
        // later ones: they are multiples of it.
        if (k == m_nDegree || dNorm == 0.0)
            break;
        CPolynomial next = Linear(-cur.m_dAlpha, 1.0) * cur - Constant(cur.m_dBeta) * prev;
        prev = cur;
        cur = next;
        dPrevNorm = dNorm;
    }
    std::copy(result.m_c, result.m_c + kMaxDegree + 1, m_c);
    m_dAlpha = cur.m_dAlpha;
    m_dBeta = cur.m_dBeta;
    m_dCoef = cur.m_dCoef;
    m_dNorm = cur.m_dNorm;
}
