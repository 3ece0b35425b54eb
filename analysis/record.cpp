#include "analysis/record.h"

namespace orowan {

AnalysisRecord rec;

}  // namespace orowan
