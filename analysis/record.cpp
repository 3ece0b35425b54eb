#include "analysis/record.h"

namespace orowan {

OROWAN_THREAD_STATE AnalysisRecord rec;

}  // namespace orowan
