// Least-squares polynomial fit: exact fits, the least-squares line, vanishing
// basis polynomials and refused degrees.
#include "model/PolynomialFit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

TEST(PolynomialFitTest, FitsPolynomialsThatPassThroughThePoints) {
    struct Case {
        int degree;
        std::vector<double> coef; // c0, c1, ...
    } cases[] = {
        {0, {4.0}},
        {1, {-1.0, 2.0}},
        {2, {1.0, -3.0, 0.5}},
        {5, {0.5, 1.0, -2.0, 0.25, 0.0, 0.125}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degree);
        std::vector<double> x, y;
        for (int i = 0; i < 12; ++i) {
            double xi = -1.5 + 0.37 * i, yi = 0.0;
            for (std::size_t k = 0; k < c.coef.size(); ++k)
                yi += c.coef[k] * std::pow(xi, k);
            x.push_back(xi);
            y.push_back(yi);
        }
        CPolynomialFit fit(c.degree, x.data(), y.data(), static_cast<int>(x.size()));
        for (std::size_t k = 0; k < c.coef.size(); ++k)
            EXPECT_NEAR(c.coef[k], fit.m_c[k], 1e-9) << k;
        EXPECT_NEAR(y[7], fit.Evaluate(x[7]), 1e-9);
    }
}

TEST(PolynomialFitTest, LineThroughTwoPointsAndLeastSquaresLine) {
    const double x2[] = {1.0, 3.0}, y2[] = {2.0, 6.0};
    CPolynomialFit line(1, x2, y2, 2);
    EXPECT_NEAR(0.0, line.m_c[0], 1e-12);
    EXPECT_NEAR(2.0, line.m_c[1], 1e-12);

    // y = 1 + x with residuals +1, -1, -1, +1: the slope stays 1.
    const double x4[] = {0, 1, 2, 3}, y4[] = {2, 1, 2, 5};
    CPolynomialFit ls(1, x4, y4, 4);
    EXPECT_NEAR(1.0, ls.m_c[1], 1e-12);
    EXPECT_NEAR(1.0, ls.m_c[0], 1e-12);
}

TEST(PolynomialFitTest, EqualXGiveTheMeanWhateverTheDegree) {
    const double x[] = {0.1, 0.1, 0.1}, y[] = {1.0, 2.0, 6.0};
    for (int degree : {1, 3}) {
        CPolynomialFit fit(degree, x, y, 3);
        EXPECT_NEAR(3.0, fit.Evaluate(0.1), 1e-12) << degree;
        EXPECT_NEAR(3.0, fit.Evaluate(100.0), 1e-9) << degree;
    }
    // More degrees than the points can carry: the fit still passes through them.
    const double x2[] = {0.0, 2.0}, y2[] = {1.0, 5.0};
    CPolynomialFit high(4, x2, y2, 2);
    EXPECT_NEAR(3.0, high.Evaluate(1.0), 1e-9);
}

TEST(PolynomialFitTest, RefusedArgumentsEvaluateToZero) {
    const double x[] = {1, 2, 3}, y[] = {1, 2, 3};
    struct Case {
        int degree;
        const double *px, *py;
        int n;
    } cases[] = {{-1, x, y, 3}, {20, x, y, 3}, {1, nullptr, y, 3}, {1, x, y, 0}};
    for (const Case& c : cases) {
        CPolynomialFit fit(c.degree, c.px, c.py, c.n);
        EXPECT_EQ(0.0, fit.Evaluate(2.0)) << c.degree << " " << c.n;
    }
    CPolynomialFit top(19, x, y, 3);
    EXPECT_NEAR(2.0, top.Evaluate(2.0), 1e-6);
}

TEST(PolynomialFitTest, ArithmeticKeepsTheDegreeRule) {
    CPolynomial a, b;
    a.m_nDegree = 1, a.m_c[0] = 1, a.m_c[1] = 2;  // 1 + 2x
    b.m_nDegree = 2, b.m_c[0] = -1, b.m_c[2] = 3; // -1 + 3x^2
    CPolynomial sum = a + b, diff = a - b, prod = a * b;
    EXPECT_EQ(2, sum.m_nDegree);
    EXPECT_EQ(2, diff.m_nDegree);
    EXPECT_EQ(3, prod.m_nDegree);
    EXPECT_DOUBLE_EQ(5.0 + 11.0, sum.Evaluate(2.0));
    EXPECT_DOUBLE_EQ(5.0 - 11.0, diff.Evaluate(2.0));
    EXPECT_DOUBLE_EQ(5.0 * 11.0, prod.Evaluate(2.0));
    CPolynomial big;
    big.m_nDegree = 15;
    big.m_c[15] = 1.0;
    EXPECT_EQ(19, (big * big).m_nDegree); // degree 30 does not fit: cut at 19
}

} // namespace
