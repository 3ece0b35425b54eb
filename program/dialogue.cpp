// The calculation dialogue: prompts, input echo, derived geometry, the two
// marches, neutral point and load, and the repeat prompt.
#include "program/dialogue.h"

#include <initializer_list>

#include "analysis/analysis.h"
#include "console/failures.h"
#include "console/reader.h"
#include "console/writer.h"
#include "program/report.h"

namespace orowan {
namespace {

using orowan::console::FormatList;

// The prompts' Japanese texts are CP932 bytes.
const FormatList kRadiusPrompt{
    "(/,/,/,' *** \x83I\x83\x8d\x83\x8f\x83\x93\x97\x9d\x98_\x82\xc9\x82\xe6\x82\xe9\x88\xb3\x89\x84\x89\xf0\x90\xcd ***',/,/,'   ... \x83\x8d\x81[\x83\x8b\x94\xbc\x8c" "a R(mm)\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.')"};
const FormatList kThicknessPrompt{
    "(/,/,'   ... \x88\xb3\x89\x84\x91O\x94\xc2\x8c\xfah1 & \x88\xb3\x89\x84\x8c\xe3\x94\xc2\x8c\xfah2\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.')"};
const FormatList kYieldPrompt{
    "(/,/,'   ... \x95\xbd\x8b\xcf\x8d~\x95\x9a\x89\x9e\x97\xcd\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.')"};
const FormatList kTensionPrompt{
    "(/,/,'   ... \x8c\xe3\x95\xfb\x82\xa8\x82\xe6\x82\xd1\x91O\x95\xfb\x92\xa3\x97\xcd\x82\xf0kgfmm^-2\x82\xc5\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.')"};
const FormatList kFrictionPrompt{
    "(/,/,'   ... \x96\x80\x8e" "C\x8cW\x90\x94\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.')"};
const FormatList kInputEcho{
    "(/,/,' *** Input data ***',/,/,'       Roll radius R=',F10.4,'(mm)',/,"
    "'       Thickness of strip H1,H2=',2F10.4,'(mm)',/,"
    "'       Front and back tensions SGF,SGB=',2F10.4,'(kgf/mm2)')"};
const FormatList kRepeatPrompt{
    "(/,/,/,'   ... \x8d\xc4\x93x\x8cv\x8eZ\x82\xb5\x82\xbd\x82\xa2\x8f\xea\x8d\x87\x82\xc9\x82\xcd" "1\x82\xf0\x93\xfc\x82\xea\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2')"};

// Writes a statement that has no items.
void say(const FormatList& list) {
  orowan::console::beginWrite(list);
  orowan::console::endWrite();
}

// One read statement of one or two REAL values.
void readReals(Real& first) {
  orowan::console::beginRead();
  orowan::console::getRealItem(first.v);
  orowan::console::endRead();
}
void readReals(Real& first, Real& second) {
  orowan::console::beginRead();
  orowan::console::getRealItem(first.v);
  orowan::console::getRealItem(second.v);
  orowan::console::endRead();
}

// The five prompts; each table is filled as soon as its value is read.
void askInputs() {
  say(kRadiusPrompt);
  readReals(rec.R);
  say(kThicknessPrompt);
  readReals(rec.H1, rec.H2);
  say(kYieldPrompt);
  readReals(rec.MEAN_YIELD_STRESS);
  fillYieldTable();
  say(kTensionPrompt);
  readReals(rec.SGB, rec.SGF);
  say(kFrictionPrompt);
  readReals(rec.frictionTable.values[0]);
  fillFrictionTable();
}

// The front tension is echoed before the back tension.
void echoInputs() {
  orowan::console::beginWrite(kInputEcho);
  for (const Real* item : {&rec.R, &rec.H1, &rec.H2, &rec.SGF, &rec.SGB})
    orowan::console::putRealItem(item->v);
  orowan::console::endWrite();
}

void askRepeat() {
  say(kRepeatPrompt);
  orowan::console::beginRead();
  orowan::console::getIntegerItem(rec.REPEAT_ANSWER);
  orowan::console::endRead();
}

// One pass: the analysis computes, the report writes as it goes.
void runPass() {
  startPass();
  askInputs();
  echoInputs();
  deriveGeometry();
  writeFirstResultHeading();
  const MarchObserver tables = stressTableWriter();
  marchRollGap(Side::exit, tables);
  marchRollGap(Side::entry, tables);
  neutralPointAndLoad();
  workOutSummary();
  writeSummary();
  askRepeat();
}

}  // namespace

void runDialogue() {
  for (;;) {
    runPass();
    if (rec.REPEAT_ANSWER != 1) orowan::console::stopProgram();
  }
}

}  // namespace orowan
