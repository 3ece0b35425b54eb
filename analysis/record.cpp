#include "analysis/record.h"

namespace orowan {

thread_local constinit AnalysisRecord rec;

}  // namespace orowan
