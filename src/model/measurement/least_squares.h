#pragma once

#include <Eigen/Dense>

namespace diruruzevuv::model {

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
