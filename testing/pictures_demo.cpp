// Writes the sample pictures into a folder, for looking at them while
// working on the drawing code:  pictures_demo OUT_DIR
#include <fstream>
#include <iostream>
#include <string>

#include "testing/sample_passes.h"
#include "pictures/pictures.h"

namespace pics = orowan::pictures;

namespace {

void save(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: pictures_demo OUT_DIR\n";
    return 2;
  }
  std::string dir = argv[1];
  using namespace orowan::testing;
  save(dir + "/typical.svg", pics::frictionHillSvg(typicalPass()));
  save(dir + "/sticking.svg", pics::frictionHillSvg(stickingPass()));
  save(dir + "/no_neutral.svg", pics::frictionHillSvg(noNeutralPass()));
  save(dir + "/thin_strip.svg", pics::frictionHillSvg(thinStripPass()));
  save(dir + "/tension.svg", pics::frictionHillSvg(tensionPass()));
  save(dir + "/hardening.svg", pics::frictionHillSvg(hardeningPass()));
  save(dir + "/single_step.svg", pics::frictionHillSvg(singleStepPass()));
  save(dir + "/flat.svg", pics::frictionHillSvg(flatPass()));
  save(dir + "/dense.svg", pics::frictionHillSvg(densePass(5000)));
  save(dir + "/sweep.svg", pics::chartSvg(sweepChart()));
  save(dir + "/convergence.svg", pics::chartSvg(convergenceChart()));
  std::ofstream report(dir + "/report.html", std::ios::binary);
  writeSampleReport(report);
  return 0;
}
