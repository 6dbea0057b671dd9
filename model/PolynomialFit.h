// Least-squares polynomial fit by orthogonal polynomials (Forsythe's
// three-term recurrence), and the small polynomial arithmetic it needs.
#pragma once

#include <cstdint>

// A polynomial of degree at most 19 in the power basis, with the recurrence
// terms of the orthogonal polynomial it stands for during a fit.
struct CPolynomial {
    static constexpr int kMaxDegree = 19;

    std::int32_t m_nDegree = 0;
    double m_dAlpha = 0.0;
    double m_dBeta = 0.0;
    double m_dCoef = 0.0; // weight of this basis polynomial in the fit
    double m_dNorm = 0.0; // sum of its squares over the points
    double m_c[kMaxDegree + 1] = {};
    const double* m_pX = nullptr;
    const double* m_pY = nullptr;
    std::int32_t m_nPoints = 0;

    // Power-basis value; 0 for a negative degree.
    double Evaluate(double x) const;
};

// Degree of a sum or difference: the larger one; of a product: the sum,
// with terms beyond degree 19 dropped.
CPolynomial operator+(const CPolynomial& a, const CPolynomial& b);
CPolynomial operator-(const CPolynomial& a, const CPolynomial& b);
CPolynomial operator*(const CPolynomial& a, const CPolynomial& b);

class CPolynomialFit : public CPolynomial {
public:
    // Fits at once. A degree outside 0..19, no points or missing arrays leave
    // a record of degree -1 that evaluates to 0.
    CPolynomialFit(int nDegree, const double* pX, const double* pY, int nPoints);

private:
    void Fit();
};
