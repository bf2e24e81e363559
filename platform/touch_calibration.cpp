#include "platform/touch_calibration.h"

#include <QStringList>

#include <cmath>

namespace platform {

namespace {

// The two touches nearest each other must be farther apart than this fraction of the screen.
constexpr double kLeastSpread = 0.05;
constexpr double kMostScale = 3.0;

// Solves the 3x3 system a x = b by elimination; false when it is singular.
bool solve3(std::array<std::array<double, 3>, 3> a, std::array<double, 3> b, std::array<double, 3>& x)
{
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r)
            if (std::abs(a[r][col]) > std::abs(a[pivot][col]))
                pivot = r;
        if (std::abs(a[pivot][col]) < 1e-12)
            return false;
        std::swap(a[col], a[pivot]);
        std::swap(b[col], b[pivot]);
        for (int r = 0; r < 3; ++r) {
            if (r == col)
                continue;
            const double f = a[r][col] / a[col][col];
            for (int k = col; k < 3; ++k)
                a[r][k] -= f * a[col][k];
            b[r] -= f * b[col];
        }
    }
    for (int i = 0; i < 3; ++i)
        x[i] = b[i] / a[i][i];
    return true;
}

} // namespace

bool CalibrationMatrix::IsIdentity() const
{
    const CalibrationMatrix one;
    for (std::size_t i = 0; i < m.size(); ++i)
        if (std::abs(m[i] - one.m[i]) > 1e-9)
            return false;
    return true;
}

QPointF CalibrationMatrix::Map(QPointF p) const
{
    return {m[0] * p.x() + m[1] * p.y() + m[2], m[3] * p.x() + m[4] * p.y() + m[5]};
}

std::optional<CalibrationMatrix> CalibrationMatrix::Inverse() const
{
    const double det = m[0] * m[4] - m[1] * m[3];
    if (std::abs(det) < 1e-12)
        return std::nullopt;
    CalibrationMatrix inv;
    inv.m[0] = m[4] / det;
    inv.m[1] = -m[1] / det;
    inv.m[3] = -m[3] / det;
    inv.m[4] = m[0] / det;
    inv.m[2] = -(inv.m[0] * m[2] + inv.m[1] * m[5]);
    inv.m[5] = -(inv.m[3] * m[2] + inv.m[4] * m[5]);
    return inv;
}

CalibrationMatrix CalibrationMatrix::Then(const CalibrationMatrix& after) const
{
    const auto& a = after.m;
    CalibrationMatrix r;
    r.m[0] = a[0] * m[0] + a[1] * m[3];
    r.m[1] = a[0] * m[1] + a[1] * m[4];
    r.m[2] = a[0] * m[2] + a[1] * m[5] + a[2];
    r.m[3] = a[3] * m[0] + a[4] * m[3];
    r.m[4] = a[3] * m[1] + a[4] * m[4];
    r.m[5] = a[3] * m[2] + a[4] * m[5] + a[5];
    return r;
}

QString CalibrationMatrix::ToText() const
{
    QStringList parts;
    for (double v : m)
        parts << QString::number(v, 'g', 10);
    return parts.join(u' ');
}

std::optional<CalibrationMatrix> CalibrationMatrix::FromText(const QString& text)
{
    const QStringList parts = text.simplified().split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != 9)
        return std::nullopt;
    CalibrationMatrix matrix;
    for (int i = 0; i < 9; ++i) {
        bool ok = false;
        matrix.m[std::size_t(i)] = parts[i].toDouble(&ok);
        if (!ok || !std::isfinite(matrix.m[std::size_t(i)]))
            return std::nullopt;
    }
    return matrix;
}

std::array<QPointF, 4> CalibrationTargets(QSizeF s)
{
    const double l = s.width() / 8, r = s.width() * 7 / 8, t = s.height() / 8, b = s.height() * 7 / 8;
    return {QPointF(l, t), QPointF(r, t), QPointF(r, b), QPointF(l, b)};
}

std::optional<CalibrationMatrix> FitCalibration(const std::array<QPointF, 4>& targets,
    const std::array<QPointF, 4>& touches, QSizeF screen, const CalibrationMatrix& current, double tolerance)
{
    if (screen.isEmpty())
        return std::nullopt;
    const std::optional<CalibrationMatrix> undo = current.Inverse();
    if (!undo)
        return std::nullopt;
    // Back to what the frame itself reported, in fractions of the screen.
    std::array<QPointF, 4> raw, goal;
    for (std::size_t i = 0; i < 4; ++i) {
        raw[i] = undo->Map(QPointF(touches[i].x() / screen.width(), touches[i].y() / screen.height()));
        goal[i] = QPointF(targets[i].x() / screen.width(), targets[i].y() / screen.height());
    }
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t j = i + 1; j < 4; ++j)
            if (std::hypot(raw[i].x() - raw[j].x(), raw[i].y() - raw[j].y()) < kLeastSpread)
                return std::nullopt;
    // Least squares: the normal equations of x' = a x + b y + c (and the same for y') over the four points.
    std::array<std::array<double, 3>, 3> n {};
    std::array<double, 3> bx {}, by {};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::array<double, 3> row {raw[i].x(), raw[i].y(), 1.0};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                n[r][c] += row[r] * row[c];
            bx[r] += row[r] * goal[i].x();
            by[r] += row[r] * goal[i].y();
        }
    }
    std::array<double, 3> x {}, y {};
    if (!solve3(n, bx, x) || !solve3(n, by, y))
        return std::nullopt;
    CalibrationMatrix fit;
    fit.m = {x[0], x[1], x[2], y[0], y[1], y[2], 0, 0, 1};
    const double scale = std::sqrt(std::abs(fit.m[0] * fit.m[4] - fit.m[1] * fit.m[3]));
    if (scale > kMostScale || scale < 1.0 / kMostScale)
        return std::nullopt;
    for (std::size_t i = 0; i < 4; ++i) {
        const QPointF got = fit.Map(raw[i]);
        if (std::hypot((got.x() - goal[i].x()) * screen.width(), (got.y() - goal[i].y()) * screen.height())
            > tolerance)
            return std::nullopt;
    }
    return fit;
}

std::array<int, 4> EvdevAxisCalibration(
    const CalibrationMatrix& matrix, int minX, int maxX, int minY, int maxY)
{
    const double a = matrix.m[0], c = matrix.m[2], e = matrix.m[4], f = matrix.m[5];
    const double w = maxX - minX, h = maxY - minY;
    // The raw fractions that land on the screen's edges 0 and 1.
    const auto at
        = [](double scale, double shift, double edge) { return scale != 0 ? (edge - shift) / scale : edge; };
    return {int(std::lround(minX + at(a, c, 0) * w)), int(std::lround(minX + at(a, c, 1) * w)),
        int(std::lround(minY + at(e, f, 0) * h)), int(std::lround(minY + at(e, f, 1) * h))};
}

} // namespace platform
