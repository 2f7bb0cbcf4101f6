#pragma once

// The solver the fits share: Levenberg-Marquardt from a start, and the
// uncertainties of its result from the Jacobian there.

#include <Eigen/Dense>
#include <unsupported/Eigen/LevenbergMarquardt>

namespace diruruzevuv::model {

inline constexpr double kDbPerNeper = 8.68588963806503655302;  // 20 / ln 10

// The sum of the squared residuals at u.
template <class Problem>
double LeastSquaresCost(const Problem& problem, const Eigen::VectorXd& u) {
  Eigen::VectorXd r(problem.values());
  problem(u, r);
  return r.squaredNorm();
}

// Runs the solver from u for at most evaluations residual evaluations and
// returns the cost where it stopped; converged tells whether it stopped on
// its own tolerances.
template <class Problem>
double SolveLeastSquares(Problem& problem, Eigen::VectorXd& u, int evaluations,
                         bool* converged = nullptr) {
  Eigen::LevenbergMarquardt<Problem> solver(problem);
  solver.setMaxfev(evaluations);
  solver.setXtol(1e-8);
  solver.setFtol(1e-9);
  const Eigen::LevenbergMarquardtSpace::Status status = solver.minimize(u);
  if (converged != nullptr) {
    using Eigen::LevenbergMarquardtSpace::Status;
    *converged = status != Status::TooManyFunctionEvaluation &&
                 status != Status::ImproperInputParameters && status != Status::Running;
  }
  return LeastSquaresCost(problem, u);
}

// The uncertainties: the Jacobian by ln(value) at the solution, the
// residual's variance per degree of freedom but never below the stated
// noise (kNoiseFloorDb), and the inverse of J'J; a column nearly a
// combination of the others (variance inflation) means the points cannot
// tell that value.
struct Uncertainties {
  Eigen::VectorXd norms;    // of the Jacobian's columns
  Eigen::MatrixXd inverse;  // (scaled' scaled)^-1, the columns scaled to 1
  Eigen::VectorXd weakest;  // the direction the points pin least
  bool rankDeficient = false;
  double variance = 0.0;

  // The covariance of ln(value i) and ln(value j); infinite where the
  // points cannot tell them.
  double LogCovariance(int i, int j) const;
  // One standard deviation of ln(value i).
  double LogSigma(int i) const;
};

// cost: the sum of the squared residuals at the solution.
Uncertainties UncertaintiesOf(const Eigen::MatrixXd& jacobianByLog, double cost);

}  // namespace diruruzevuv::model
