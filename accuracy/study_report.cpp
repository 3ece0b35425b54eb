// The study's markdown page and CSV file.
#include "accuracy/study_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <numbers>

#include "accuracy/classic.h"
#include "accuracy/converged.h"

namespace orowan::accuracy {
namespace {

using Filter = std::function<bool(const PassComparison&)>;

std::string fixed(double value, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// A magnitude as a percentage: "0.191 %".
std::string percent(double fraction, int decimals = 3) {
  return fixed(100.0 * fraction, decimals) + " %";
}

std::string signedPercent(double fraction, int decimals) {
  char text[48];
  std::snprintf(text, sizeof text, "%+.*f %%", decimals, 100.0 * fraction);
  return text;
}

std::string level(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

bool compared(const PassComparison& c) { return c.console.ok && c.converged.ok; }
bool tensionFree(const PassComparison& c) {
  return c.pass.tension.back == 0.0 && c.pass.tension.front == 0.0;
}

void writeHeader(std::ostream& out, const StudyReport& r) {
  const StudyGrid& g = r.grid;
  const auto list = [](const std::vector<double>& v, double scale) {
    std::string s;
    for (double x : v) s += (s.empty() ? "" : ", ") + level(x * scale);
    return s;
  };
  std::string tensions;
  for (const TensionLevel& t : g.tensions)
    tensions += (tensions.empty() ? "" : ", ") + level(t.back) + "/" + level(t.front);
  out << "# Accuracy study\n\nMade by `" << r.command << "`.\n\n"
      << r.passes.size() << " passes: every combination of R/H1 " << list(g.radiusRatios, 1)
      << "; reduction " << list(g.reductions, 100) << " %; friction " << list(g.frictions, 1)
      << "; back/front tension " << tensions << " of the mean yield stress. H1 = "
      << level(g.entryThickness) << " mm, mean yield stress " << level(g.yieldStress)
      << " kgf/mm². Each value is rounded once to single precision, as the console reads it; "
         "the converged solver takes the same values.\n\n";
}

// Median, 95th percentile, largest and bias of each quantity.
void writeErrorTable(std::ostream& out, const std::vector<PassComparison>& passes) {
  out << "## The console (solvePass) against the converged solver\n\n"
         "Relative error console / converged − 1 over the passes where both find a neutral "
         "point; the neutral angle also as its difference over the contact angle.\n\n"
         "| quantity | passes | median | 95th percentile | largest | median signed (bias) |\n"
         "|---|---|---|---|---|---|\n";
  for (int q = 0; q < kQuantityCount; ++q) {
    const ErrorSummary s = summarize(passes, Quantity(q));
    out << "| " << quantityName(Quantity(q)) << " | " << s.count << " | " << percent(s.median)
        << " | " << percent(s.p95) << " | " << percent(s.max) << " | "
        << signedPercent(s.signedMedian, 3) << " |\n";
  }
  out << "\n";
}

// Medians of the force error and its parts, by the console's step count.
void writeStepCountTable(std::ostream& out, const std::vector<PassComparison>& passes) {
  out << "## Where the force error comes from\n\n"
         "The step-count part is the console's scheme (in double) on its own single-precision "
         "grid less the same scheme on exactly 400 equal steps; the rectangle estimate is "
         "−ΔX/2 (2 P(neutral) − P(exit) − P(entry)) / force with ΔX = XL/400, from the "
         "converged pressures.\n\n"
         "| console's steps a side | passes | median force error | median step-count part | "
         "median rectangle estimate |\n|---|---|---|---|---|\n";
  std::map<int, std::vector<const PassComparison*>> bySteps;
  for (const PassComparison& c : passes)
    if (compared(c)) bySteps[c.exitSteps * 1000 + c.entrySteps].push_back(&c);
  for (const auto& [key, group] : bySteps) {
    std::vector<double> e, step, rect;
    for (const PassComparison* c : group) {
      e.push_back(c->error[0]), rect.push_back(c->rectanglePart[0]);
      if (std::isfinite(c->stepCountPart[0])) step.push_back(c->stepCountPart[0]);
    }
    for (auto* v : {&e, &step, &rect}) std::sort(v->begin(), v->end());
    out << "| " << key / 1000 << " exit, " << key % 1000 << " entry | " << group.size() << " | "
        << signedPercent(quantile(e, 0.5), 3) << " | " << signedPercent(quantile(step, 0.5), 3)
        << " | " << signedPercent(quantile(rect, 0.5), 3) << " |\n";
  }
  out << "\n";
}

// Median and largest force error by R/H1, without and with tensions.
void writeThinStripTable(std::ostream& out, const StudyReport& r) {
  out << "| R/H1 | median force error | largest, no tension | largest, with tension |\n"
         "|---|---|---|---|\n";
  for (double ratio : r.grid.radiusRatios) {
    std::vector<double> all;
    double plain = 0, tensioned = 0;
    for (const PassComparison& c : r.passes) {
      if (!compared(c) || c.pass.radiusRatio != ratio) continue;
      const double e = std::fabs(c.error[0]);
      all.push_back(e);
      (tensionFree(c) ? plain : tensioned) = std::max(tensionFree(c) ? plain : tensioned, e);
    }
    std::sort(all.begin(), all.end());
    out << "| " << level(ratio) << " | " << percent(quantile(all, 0.5)) << " | " << percent(plain)
        << " | " << percent(tensioned) << " |\n";
  }
  out << "\n";
}

// The passes of the three largest errors of each quantity, and why.
void writeLargest(std::ostream& out, const std::vector<PassComparison>& passes) {
  out << "## The largest errors\n\n| quantity | pass | contact | console steps | error | why "
         "|\n|---|---|---|---|---|---|\n";
  std::vector<const PassComparison*> both;
  for (const PassComparison& c : passes)
    if (compared(c)) both.push_back(&c);
  for (int q = 0; q < kQuantityCount; ++q) {
    std::sort(both.begin(), both.end(), [q](const PassComparison* a, const PassComparison* b) {
      return std::fabs(a->error[q]) > std::fabs(b->error[q]);
    });
    for (size_t k = 0; k < 3 && k < both.size(); ++k) {
      const PassComparison& c = *both[k];
      out << "| " << quantityName(Quantity(q)) << " | " << c.pass.id << ": " << describe(c.pass)
          << " | " << contactName(c.contact) << " | " << c.exitSteps << " | "
          << signedPercent(c.error[q], 3) << " | " << explanation(c, Quantity(q)) << " |\n";
    }
  }
  out << "\n";
}

// Counts of the verdict pairs without a comparison, then every such pass.
void writeUncompared(std::ostream& out, const std::vector<PassComparison>& passes) {
  std::map<std::string, int> counts;
  for (const PassComparison& c : passes)
    if (!compared(c)) ++counts["| " + c.console.text + " | " + c.converged.text + " |"];
  out << "## Passes without a comparison\n\n| console | converged | passes |\n|---|---|---|\n";
  for (const auto& [pair, n] : counts) out << pair << " " << n << " |\n";
  out << "\nEvery one of them, those where the two disagree first (a converged neutral point is given in steps of the console's "
         "grid from the exit plane):\n\n| pass | console | converged |\n|---|---|---|\n";
  std::vector<const PassComparison*> listed;
  for (const PassComparison& c : passes)
    if (!compared(c)) listed.push_back(&c);
  // Where the two disagree first.
  std::stable_partition(listed.begin(), listed.end(), [](const PassComparison* c) {
    return c->console.ok != c->converged.ok;
  });
  for (const PassComparison* p : listed) {
    const PassComparison& c = *p;
    std::string converged = c.converged.text;
    if (c.converged.ok)
      converged += ", neutral point " + fixed(c.neutralAngle / (c.contactAngle / 400.0), 2) +
                   " steps from the exit plane";
    out << "| " << c.pass.id << ": " << describe(c.pass) << " | " << c.console.text << " | "
        << converged << " |\n";
  }
  out << "\n";
}

// Observed orders on the chart passes, and the neutral point's bound.
void writeOrders(std::ostream& out, const std::vector<ConvergencePass>& passes) {
  out << "## Observed order of convergence\n\n"
         "Medians of log2(e(N) / e(2N)) on exact angles: the console's scheme from 400 to "
         "12,800 steps a side, classical RK4 from 25 to 400. The console's neutral angle has no "
         "order (it is a node): its largest error times N shows it stays within one step.\n\n"
         "| pass | console force | console torque | RK4 force | RK4 torque | RK4 neutral angle | "
         "console neutral angle: largest error × N |\n|---|---|---|---|---|---|---|\n";
  for (const ConvergencePass& p : passes) {
    const ConvergenceSeries &con = p.study.console, &rk = p.study.converged;
    double bound = 0;
    for (const ConvergencePoint& q : con.points)
      if (q.steps >= 400) bound = std::max(bound, q.angleError * q.steps);
    const auto early = [&](const std::vector<double>& orders) {
      std::vector<ConvergencePoint> head(rk.points.begin(), rk.points.begin() + 5);
      std::vector<double> o(orders.begin(), orders.begin() + 4);
      return fixed(medianOrder(head, o, 25), 2);
    };
    out << "| " << p.name << " | " << fixed(medianOrder(con.points, con.orders.force, 400), 2)
        << " | " << fixed(medianOrder(con.points, con.orders.torque, 400), 2) << " | "
        << early(rk.orders.force) << " | " << early(rk.orders.torque) << " | "
        << early(rk.orders.angle) << " | " << fixed(bound, 2) << " |\n";
  }
  out << "\n";
}

// Deviations formula / converged - 1 of a set of passes.
struct Deviation {
  int count = 0;
  double median = 0, min = 0, max = 0, within = 0;  // within: share inside +-5 %
};

Deviation deviationOf(std::vector<double> d) {
  Deviation v;
  if (d.empty()) return v;
  std::sort(d.begin(), d.end());
  v.count = static_cast<int>(d.size());
  v.median = quantile(d, 0.5), v.min = d.front(), v.max = d.back();
  v.within = static_cast<double>(std::count_if(d.begin(), d.end(),
                                               [](double x) { return std::fabs(x) <= 0.05; })) /
             v.count;
  return v;
}

// One comparison of the formulas table: a formula's force against an
// Orowan force, over the passes a filter keeps.
struct FormulaColumn {
  std::string name, shortName;
  std::function<double(const PassComparison&)> formula, orowan;
  Filter keep;
};

std::vector<double> deviations(const std::vector<PassComparison>& passes, const FormulaColumn& f,
                               const Filter& also) {
  std::vector<double> d;
  for (const PassComparison& c : passes) {
    if (!c.converged.ok || !f.keep(c) || !also(c)) continue;
    const double x = f.formula(c) / f.orowan(c) - 1.0;
    if (std::isfinite(x)) d.push_back(x);
  }
  return d;
}

std::vector<FormulaColumn> formulaColumns() {
  const auto formula = [](Formula f) {
    return [f](const PassComparison& c) { return c.formulaForce[static_cast<int>(f)]; };
  };
  const auto coulomb = [](const PassComparison& c) { return c.force; };
  const auto sticking = [](const PassComparison& c) { return c.stickingForce; };
  return {
      {"Ekelund (no tension)", "Ekelund", formula(Formula::ekelund), coulomb, tensionFree},
      {"Hill (no tension)", "Hill", formula(Formula::hill), coulomb, tensionFree},
      {"Bland-Ford, strip slipping over the whole arc", "Bland-Ford (slip)",
       formula(Formula::blandFord), coulomb,
       [](const PassComparison& c) { return c.contact == ArcContact::slip; }},
      {"Bland-Ford, strip sticking on part of the arc", "Bland-Ford (stick)",
       formula(Formula::blandFord), coulomb,
       [](const PassComparison& c) { return c.contact != ArcContact::slip; }},
      {"Sims against Orowan sticking over the whole arc (no tension)", "Sims (stick)",
       formula(Formula::sims), sticking, tensionFree},
      {"Sims against the grid's friction, sticking on >= 80 % of the arc (no tension)",
       "Sims (80 % stick)", formula(Formula::sims), coulomb,
       [](const PassComparison& c) { return tensionFree(c) && c.stickShare >= 0.8; }},
  };
}

void writeFormulaSummary(std::ostream& out, const std::vector<PassComparison>& passes) {
  out << "## The classic formulas against the converged Orowan force\n\n"
         "Deviation formula / Orowan − 1. Each formula takes S = 1.15 × mean yield stress and "
         "no roll flattening. Ekelund, Hill and Sims take no tensions; Sims assumes sticking "
         "friction, so it is set against the converged solver run with friction 10 (the strip "
         "sticks over the whole arc) and, separately, against the grid's own friction where "
         "the strip sticks on at least 80 % of the arc. Bland-Ford passes without a neutral "
         "point of its own are left out.\n\n"
         "| formula | passes | median | smallest | largest | within 5 % |\n"
         "|---|---|---|---|---|---|\n";
  const Filter all = [](const PassComparison&) { return true; };
  for (const FormulaColumn& f : formulaColumns()) {
    const Deviation d = deviationOf(deviations(passes, f, all));
    out << "| " << f.name << " | " << d.count << " | " << signedPercent(d.median, 1) << " | "
        << signedPercent(d.min, 1) << " | " << signedPercent(d.max, 1) << " | "
        << percent(d.within, 0) << " |\n";
  }
  out << "\n";
}

// One factor's table: a row per level, a column per formula, cells
// "median (share within 5 %)".
void writeFactorTable(std::ostream& out, const std::vector<PassComparison>& passes,
                      const std::string& factor, const std::vector<std::string>& labels,
                      const std::vector<Filter>& levels) {
  const std::vector<FormulaColumn> columns = formulaColumns();
  out << "| " << factor;
  for (const FormulaColumn& f : columns) out << " | " << f.shortName;
  out << " |\n|---";
  for (size_t k = 0; k < columns.size(); ++k) out << "|---";
  out << "|\n";
  for (size_t i = 0; i < levels.size(); ++i) {
    out << "| " << labels[i];
    for (const FormulaColumn& f : columns) {
      const Deviation d = deviationOf(deviations(passes, f, levels[i]));
      out << " | "
          << (d.count == 0 ? "–"
                           : signedPercent(d.median, 1) + " (" + percent(d.within, 0) + ")");
    }
    out << " |\n";
  }
  out << "\n";
}

void writeFactorTables(std::ostream& out, const StudyReport& r) {
  out << "Median deviation and, in brackets, the share of passes within 5 %, by factor:\n\n";
  const auto byLevel = [&](const std::string& name, const std::vector<double>& values,
                           double StudyPass::*field) {
    std::vector<std::string> labels;
    std::vector<Filter> filters;
    for (double v : values) {
      labels.push_back(level(v));
      filters.push_back([v, field](const PassComparison& c) { return c.pass.*field == v; });
    }
    writeFactorTable(out, r.passes, name, labels, filters);
  };
  byLevel("friction", r.grid.frictions, &StudyPass::friction);
  byLevel("R/H1", r.grid.radiusRatios, &StudyPass::radiusRatio);
  byLevel("reduction", r.grid.reductions, &StudyPass::reduction);
  std::vector<std::string> labels;
  std::vector<Filter> filters;
  for (const TensionLevel& t : r.grid.tensions) {
    labels.push_back(level(t.back) + " / " + level(t.front));
    filters.push_back([t](const PassComparison& c) {
      return c.pass.tension.back == t.back && c.pass.tension.front == t.front;
    });
  }
  writeFactorTable(out, r.passes, "back / front tension (× Y)", labels, filters);
}

void writeTextbook(std::ostream& out) {
  out << "## The textbook pass\n\n6 → 4.8 mm, roll diameter 400 mm, typed mean yield stress "
         "66.50 kgf/mm², friction 0.1, no tension.\n\n"
         "| method | rolling force (t/m) | against the book | neutral angle (rad) |\n"
         "|---|---|---|---|\n";
  const std::vector<TextbookRow> rows = textbookRows();
  const double book = rows.front().force;
  for (const TextbookRow& row : rows) {
    out << "| " << row.method << " | " << fixed(row.force, 1) << " | "
        << (&row == &rows.front() ? "–" : signedPercent(row.force / book - 1.0, 2)) << " | "
        << (std::isnan(row.neutralAngle) ? "–" : fixed(row.neutralAngle, 4)) << " |\n";
  }
  out << "\n";
}

}  // namespace

std::vector<TextbookRow> textbookRows() {
  const PassConditions pass{200, 6, 4.8, 66.5, 0, 0, 0.1};
  const double nan = std::nan("");
  std::vector<TextbookRow> rows{{"book (Bland-Ford, by hand)", 1908.0 / 150.0 / 0.00980665,
                                 0.0227}};
  orowan::PassInput in;
  in.R = 200, in.H1 = 6, in.H2 = 4.8f, in.meanYieldStress = 66.5f, in.friction = 0.1f;
  const auto console = std::make_unique<orowan::PassResult>();
  orowan::solvePass(in, *console);
  rows.push_back({"console (solvePass, 400 steps, single precision)", console->ROLLING_FORCE,
                  console->exit.step[console->NEUTRAL_STEP - 1].PHI});
  const PassConditions typed{200, 6, in.H2, in.meanYieldStress, 0, 0, in.friction};
  const Solution s = solveConverged(typed);
  rows.push_back({"converged (Orowan, same equations)", s.rollingForce, s.neutralAngle});
  const ClassicInput classic = classicInputFrom(pass);
  const ClassicResult bf = blandFordResult(classic), sims = simsResult(classic);
  rows.push_back({"Bland-Ford (fine Simpson)", bf.force, bf.neutralAngle});
  rows.push_back({"Ekelund", ekelundForce(classic), nan});
  rows.push_back({"Hill", hillForce(classic), nan});
  rows.push_back({"Sims (sticking friction)", sims.force, sims.neutralAngle});
  return rows;
}

void writeStudyMarkdown(std::ostream& out, const StudyReport& report) {
  writeHeader(out, report);
  writeErrorTable(out, report.passes);
  writeStepCountTable(out, report.passes);
  out << "The force error by R/H1 (thin strip: large R/H1):\n\n";
  writeThinStripTable(out, report);
  writeLargest(out, report.passes);
  writeUncompared(out, report.passes);
  writeOrders(out, report.convergence);
  writeFormulaSummary(out, report.passes);
  writeFactorTables(out, report);
  writeTextbook(out);
}

void writeStudyCsv(std::ostream& out, const std::vector<PassComparison>& passes) {
  out << "id,R_H1,reduction,friction,SGB_Y,SGF_Y,console,converged,exit_steps,entry_steps,"
         "converged_steps,stick_share,peak_ratio,force,torque,torque_arm,mean_pressure,neutral_angle,"
         "neutral_of_contact,step_count_force,step_count_torque,rectangle_force,rectangle_torque,"
         "converged_force,ekelund,hill,sims,"
         "bland_ford,sticking_force\n";
  char text[64];
  const auto num = [&](double v) {
    std::snprintf(text, sizeof text, ",%.6g", v);
    return std::string(text);
  };
  for (const PassComparison& c : passes) {
    const StudyPass& p = c.pass;
    out << p.id << num(p.radiusRatio) << num(p.reduction) << num(p.friction)
        << num(p.tension.back) << num(p.tension.front) << "," << c.console.text << ","
        << c.converged.text << "," << c.exitSteps << "," << c.entrySteps << ","
        << c.convergedSteps << num(c.stickShare) << num(c.peakRatio);
    for (double e : c.error) out << num(e);
    for (double part : c.stepCountPart) out << num(part);
    for (double part : c.rectanglePart) out << num(part);
    out << num(c.force);
    for (double f : c.formulaForce) out << num(f);
    out << num(c.stickingForce) << "\n";
  }
}

}  // namespace orowan::accuracy
