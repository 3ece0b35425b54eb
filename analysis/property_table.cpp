// The property lookups in the tables of the calling thread's record.
#include "analysis/analysis.h"
#include "analysis/property_lookup.h"

namespace orowan {

void lookupFriction(const Real& X, Real& U) { lookupFriction(rec, X, U); }
void lookupYieldStress(const Real& X, Real& RK) { lookupYieldStress(rec, X, RK); }

}  // namespace orowan
