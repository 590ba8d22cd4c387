#include "app/SingleInstanceGuard.h"

namespace quillmark {

void SingleInstanceGuard::adoptSingleInstance(double /*forceAfter*/) {}

} // namespace quillmark
