#pragma once

// The solvers the fits share: Levenberg-Marquardt from a start, and the
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

// Residuals whose sum of squares the solver makes least.
class Residuals {
 public:
  virtual ~Residuals() = default;
  virtual int Rows() const = 0;
  virtual void Evaluate(const Eigen::VectorXd& u, Eigen::VectorXd& r) const = 0;
  virtual void Differentiate(const Eigen::VectorXd& u, Eigen::MatrixXd& jacobian) const = 0;
};

// Levenberg-Marquardt with a trust region scaled by the Jacobian's columns,
// the steps of MINPACK's lmder as Eigen's unsupported module writes them,
// operation for operation (a fit gives the same digits either way), with
// every workspace sized once: a fit runs the solver from many starts, and
// memory taken and handed back on each step costs more than the steps.
class LeastSquares {
 public:
  LeastSquares(int rows, int columns);

  // Moves u towards the least sum of squares of residuals (rows x columns
  // as constructed) for at most evaluations evaluations of the residuals.
  // True when it stopped on its own tolerances rather than at the limit.
  bool Minimize(const Residuals& residuals, Eigen::VectorXd& u, int evaluations, double xtol,
                double ftol);
  // The sum of the squared residuals where the last Minimize left u: the
  // solver has them already, another evaluation would only repeat them.
  double Cost() const { return m_f.squaredNorm(); }

 private:
  enum class Outcome { kRunning, kConverged, kLimit };
  Outcome Step(const Residuals& residuals, Eigen::VectorXd& u);
  void Parameter();  // the damping for the present trust region
  void SolveDamped();

  Eigen::Index m_rows, m_columns;
  int m_evaluations = 0, m_limit = 0, m_iteration = 0;
  double m_xtol = 0.0, m_ftol = 0.0;
  double m_norm = 0.0, m_delta = 0.0, m_damping = 0.0;
  Eigen::MatrixXd m_jacobian, m_r, m_s;
  Eigen::ColPivHouseholderQR<Eigen::MatrixXd> m_qr;
  Eigen::PermutationMatrix<Eigen::Dynamic, Eigen::Dynamic, int> m_permutation;
  Eigen::VectorXd m_f, m_qtf, m_diag, m_wa1, m_wa2, m_wa3, m_wa4;
  Eigen::VectorXd m_step, m_scaled, m_sdiag, m_rhs;
};

}  // namespace diruruzevuv::model
