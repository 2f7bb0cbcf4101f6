#include "model/measurement/least_squares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <type_traits>

#include "model/measurement/fit.h"

namespace diruruzevuv::model {

using Eigen::Index;

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

namespace {

// One reflector H = I - tau [1 e][1 e]' on d, as Eigen's
// applyHouseholderOnTheLeft computes it for a vector, with its outer
// product written as the scaled column it is (Eigen's takes memory for it).
template <class Block, class Essential>
void Reflect(Block&& d, const Essential& essential, double tau) {
  if (d.rows() == 1) {
    d *= 1.0 - tau;
    return;
  }
  if (tau == 0.0) return;
  double workspace = 0.0;
  Eigen::Map<Eigen::Matrix<double, 1, Eigen::Dynamic>> tmp(&workspace, d.cols());
  Eigen::Block<std::remove_reference_t<Block>, Eigen::Dynamic, Eigen::Dynamic> bottom(
      d, 1, 0, d.rows() - 1, d.cols());
  tmp.noalias() = essential.adjoint() * bottom;
  tmp += d.row(0);
  d.row(0) -= tau * tmp;
  bottom.col(0) -= tmp(0) * (tau * essential);
}

}  // namespace

LeastSquares::LeastSquares(int rows, int columns)
    : m_rows(rows),
      m_columns(columns),
      m_jacobian(rows, columns),
      m_r(columns, columns),
      m_s(columns, columns),
      m_qr(rows, columns),
      m_permutation(columns),
      m_f(rows),
      m_qtf(columns),
      m_diag(columns),
      m_wa1(columns),
      m_wa2(columns),
      m_wa3(columns),
      m_wa4(rows),
      m_step(columns),
      m_scaled(columns),
      m_sdiag(columns),
      m_rhs(columns) {}

bool LeastSquares::Minimize(const Residuals& residuals, Eigen::VectorXd& u, int evaluations,
                            double xtol, double ftol) {
  if (m_columns <= 0 || m_rows < m_columns || evaluations <= 0) {
    residuals.Evaluate(u, m_f);
    return false;
  }
  m_limit = evaluations;
  m_xtol = xtol;
  m_ftol = ftol;
  m_evaluations = 1;
  residuals.Evaluate(u, m_f);
  m_norm = m_f.stableNorm();
  m_damping = 0.0;
  m_iteration = 1;
  Outcome outcome;
  do {
    outcome = Step(residuals, u);
  } while (outcome == Outcome::kRunning);
  return outcome == Outcome::kConverged;
}

// One step: the Jacobian, its QR factors, then trial points in a shrinking
// trust region until one lowers the sum enough or a test ends the run.
LeastSquares::Outcome LeastSquares::Step(const Residuals& residuals, Eigen::VectorXd& x) {
  constexpr double kEpsilon = std::numeric_limits<double>::epsilon();
  const Index n = m_columns;
  double temp = 0.0, xnorm = 0.0;
  residuals.Differentiate(x, m_jacobian);
  for (Index j = 0; j < n; ++j) m_wa2(j) = m_jacobian.col(j).blueNorm();
  m_qr.compute(m_jacobian);
  if (m_qr.info() != Eigen::Success) return Outcome::kLimit;
  // Only R's top square is non-zero; copying all rows cost more than the step.
  m_r = m_qr.matrixQR().topLeftCorner(n, n).triangularView<Eigen::Upper>();
  m_permutation = m_qr.colsPermutation();
  if (m_iteration == 1) {
    for (Index j = 0; j < n; ++j) m_diag[j] = m_wa2[j] == 0. ? 1. : m_wa2[j];
    xnorm = m_diag.cwiseProduct(x).stableNorm();
    m_delta = 100. * xnorm;
    if (m_delta == 0.) m_delta = 100.;
  }
  // Q'f, the reflectors applied from the first.
  m_wa4 = m_f;
  const Eigen::MatrixXd& vectors = m_qr.matrixQR();
  for (Index k = 0; k < n; ++k) {
    const Eigen::Block<const Eigen::MatrixXd, Eigen::Dynamic, 1> essential(vectors, k + 1, k,
                                                                           m_rows - k - 1, 1);
    Reflect(m_wa4.bottomRightCorner(m_rows - k, m_wa4.cols()), essential, m_qr.hCoeffs()(k));
  }
  m_qtf = m_wa4.head(n);
  double gnorm = 0.;
  if (m_norm != 0.) {
    for (Index j = 0; j < n; ++j) {
      const Index p = m_permutation.indices()[j];
      if (m_wa2[p] != 0.)
        gnorm = std::max(
            gnorm, std::abs(m_r.col(j).head(j + 1).dot(m_qtf.head(j + 1) / m_norm) / m_wa2[p]));
    }
  }
  if (gnorm <= 0.) return Outcome::kConverged;
  m_diag = m_diag.cwiseMax(m_wa2);
  double ratio;
  do {
    Parameter();
    m_wa1 = -m_wa1;
    m_wa2 = x + m_wa1;
    const double pnorm = m_diag.cwiseProduct(m_wa1).stableNorm();
    if (m_iteration == 1) m_delta = std::min(m_delta, pnorm);
    residuals.Evaluate(m_wa2, m_wa4);
    ++m_evaluations;
    const double fnorm1 = m_wa4.stableNorm();
    double actred = -1.;
    if (.1 * fnorm1 < m_norm) actred = 1. - Eigen::numext::abs2(fnorm1 / m_norm);
    m_scaled = m_permutation.inverse() * m_wa1;
    m_wa3.noalias() = m_r.triangularView<Eigen::Upper>() * m_scaled;
    const double temp1 = Eigen::numext::abs2(m_wa3.stableNorm() / m_norm);
    const double temp2 = Eigen::numext::abs2(std::sqrt(m_damping) * pnorm / m_norm);
    const double prered = temp1 + temp2 / .5;
    const double dirder = -(temp1 + temp2);
    ratio = 0.;
    if (prered != 0.) ratio = actred / prered;
    if (ratio <= .25) {
      if (actred >= 0.) temp = .5;
      if (actred < 0.) temp = .5 * dirder / (dirder + .5 * actred);
      if (.1 * fnorm1 >= m_norm || temp < .1) temp = .1;
      m_delta = temp * std::min(m_delta, pnorm / .1);
      m_damping /= temp;
    } else if (!(m_damping != 0. && ratio < .75)) {
      m_delta = pnorm / .5;
      m_damping = .5 * m_damping;
    }
    if (ratio >= 1e-4) {
      x = m_wa2;
      m_wa2 = m_diag.cwiseProduct(x);
      m_f = m_wa4;
      xnorm = m_wa2.stableNorm();
      m_norm = fnorm1;
      ++m_iteration;
    }
    const bool reduced = std::abs(actred) <= m_ftol && prered <= m_ftol && .5 * ratio <= 1.;
    if (reduced || m_delta <= m_xtol * xnorm) return Outcome::kConverged;
    if (m_evaluations >= m_limit) return Outcome::kLimit;
    if ((std::abs(actred) <= kEpsilon && prered <= kEpsilon && .5 * ratio <= 1.) ||
        m_delta <= kEpsilon * xnorm || gnorm <= kEpsilon)
      return Outcome::kConverged;
  } while (ratio < 1e-4);
  return Outcome::kRunning;
}

// The damping whose step (into m_wa1) has the length of the trust region
// within a tenth, or the Gauss-Newton step when that is shorter.
void LeastSquares::Parameter() {
  constexpr double kDwarf = std::numeric_limits<double>::min();
  const Index n = m_columns;
  double& par = m_damping;
  m_s = m_qr.matrixQR().topLeftCorner(n, n).triangularView<Eigen::Upper>();
  const Index rank = m_qr.rank();
  m_step = m_qtf;
  m_step.tail(n - rank).setZero();
  m_step.head(rank) =
      m_s.topLeftCorner(rank, rank).triangularView<Eigen::Upper>().solve(m_qtf.head(rank));
  m_wa1 = m_qr.colsPermutation() * m_step;
  int iter = 0;
  m_scaled = m_diag.cwiseProduct(m_wa1);
  double dxnorm = m_scaled.blueNorm();
  double fp = dxnorm - m_delta;
  if (fp <= 0.1 * m_delta) {
    par = 0;
    return;
  }
  double parl = 0.;
  if (rank == n) {
    m_rhs = m_diag.cwiseProduct(m_scaled);
    m_step = m_qr.colsPermutation().inverse() * m_rhs;
    m_step /= dxnorm;
    m_s.topLeftCorner(n, n).transpose().triangularView<Eigen::Lower>().solveInPlace(m_step);
    const double temp = m_step.blueNorm();
    parl = fp / m_delta / temp / temp;
  }
  for (Index j = 0; j < n; ++j)
    m_step[j] =
        m_s.col(j).head(j + 1).dot(m_qtf.head(j + 1)) / m_diag[m_qr.colsPermutation().indices()(j)];
  const double gnorm = m_step.stableNorm();
  double paru = gnorm / m_delta;
  if (paru == 0.) paru = kDwarf / std::min(m_delta, 0.1);
  par = std::max(par, parl);
  par = std::min(par, paru);
  if (par == 0.) par = gnorm / dxnorm;
  while (true) {
    ++iter;
    if (par == 0.) par = std::max(kDwarf, .001 * paru);
    m_step = std::sqrt(par) * m_diag;
    SolveDamped();
    m_scaled = m_diag.cwiseProduct(m_wa1);
    dxnorm = m_scaled.blueNorm();
    double temp = fp;
    fp = dxnorm - m_delta;
    if (std::abs(fp) <= 0.1 * m_delta || (parl == 0. && fp <= temp && temp < 0.) || iter == 10)
      break;
    m_rhs = m_diag.cwiseProduct(m_scaled / dxnorm);
    m_step = m_qr.colsPermutation().inverse() * m_rhs;
    for (Index j = 0; j < n; ++j) {
      m_step[j] /= m_sdiag[j];
      temp = m_step[j];
      for (Index i = j + 1; i < n; ++i) m_step[i] -= m_s.coeff(i, j) * temp;
    }
    temp = m_step.blueNorm();
    const double parc = fp / m_delta / temp / temp;
    if (fp > 0.) parl = std::max(parl, par);
    if (fp < 0.) paru = std::min(paru, par);
    par = std::max(parl, par + parc);
  }
}

// The least-squares solution (into m_wa1) of R z = Q'f with the rows of
// diag(m_step) below R, by Givens rotations on the copy m_s of R.
void LeastSquares::SolveDamped() {
  const Index n = m_s.cols();
  const Eigen::VectorXd& diag = m_step;
  const auto& perm = m_qr.colsPermutation();
  Eigen::JacobiRotation<double> givens;
  m_wa1 = m_s.diagonal();
  m_rhs = m_qtf;
  m_s.topLeftCorner(n, n).triangularView<Eigen::StrictlyLower>() =
      m_s.topLeftCorner(n, n).transpose();
  for (Index j = 0; j < n; ++j) {
    const int l = perm.indices()(j);
    if (diag[l] == 0.) break;
    m_sdiag.tail(n - j).setZero();
    m_sdiag[j] = diag[l];
    double qtbpj = 0.;
    for (Index k = j; k < n; ++k) {
      givens.makeGivens(-m_s(k, k), m_sdiag[k]);
      m_s(k, k) = givens.c() * m_s(k, k) + givens.s() * m_sdiag[k];
      const double temp = givens.c() * m_rhs[k] + givens.s() * qtbpj;
      qtbpj = -givens.s() * m_rhs[k] + givens.c() * qtbpj;
      m_rhs[k] = temp;
      for (Index i = k + 1; i < n; ++i) {
        const double t = givens.c() * m_s(i, k) + givens.s() * m_sdiag[i];
        m_sdiag[i] = -givens.s() * m_s(i, k) + givens.c() * m_sdiag[i];
        m_s(i, k) = t;
      }
    }
  }
  Index nsing = 0;
  while (nsing < n && m_sdiag[nsing] != 0) ++nsing;
  m_rhs.tail(n - nsing).setZero();
  m_s.topLeftCorner(nsing, nsing)
      .transpose()
      .triangularView<Eigen::Upper>()
      .solveInPlace(m_rhs.head(nsing));
  m_sdiag = m_s.diagonal();
  m_s.diagonal() = m_wa1;
  m_wa1 = perm * m_rhs;
}

}  // namespace diruruzevuv::model
