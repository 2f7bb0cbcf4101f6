#include "model/measurement/least_squares.h"

#include <cmath>
#include <limits>

#include "model/measurement/fit.h"

namespace diruruzevuv::model {

double Uncertainties::LogCovariance(int i, int j) const {
  if (!(norms[i] > 0.0) || !(norms[j] > 0.0) || rankDeficient)
    return std::numeric_limits<double>::infinity();
  return variance * inverse(i, j) / (norms[i] * norms[j]);
}

double Uncertainties::LogSigma(int i) const {
  return std::sqrt(LogCovariance(i, i));
}

Uncertainties UncertaintiesOf(const Eigen::MatrixXd& jac, double cost) {
  const auto rows = jac.rows();
  const auto n = jac.cols();
  Uncertainties out;
  out.variance = std::max(
      rows > n ? cost / static_cast<double>(rows - n) : std::numeric_limits<double>::infinity(),
      kNoiseFloorDb * kNoiseFloorDb);
  out.norms = jac.colwise().norm().transpose();
  Eigen::MatrixXd scaled = jac;
  for (int i = 0; i < n; ++i) {
    if (out.norms[i] > 0.0) scaled.col(i) /= out.norms[i];
  }
  const Eigen::JacobiSVD<Eigen::MatrixXd> svd(scaled, Eigen::ComputeThinV);
  const Eigen::VectorXd sv = svd.singularValues();
  Eigen::VectorXd inverseSquares(n);
  for (int i = 0; i < n; ++i)
    inverseSquares[i] = sv[i] > 1e-12 * sv[0] ? 1.0 / (sv[i] * sv[i]) : 0.0;
  // V S^-2 V'; its diagonal is each value's inflation.
  out.inverse = svd.matrixV() * inverseSquares.asDiagonal() * svd.matrixV().transpose();
  out.rankDeficient = sv[n - 1] <= 1e-12 * sv[0];
  out.weakest = svd.matrixV().col(n - 1).cwiseAbs();
  return out;
}

}  // namespace diruruzevuv::model
