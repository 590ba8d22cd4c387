#include "app/services/SingleInstanceGuard.h"

namespace quillmark {

void SingleInstanceGuard::adoptSingleInstance(double /*forceAfter*/) {}

}  // namespace quillmark
