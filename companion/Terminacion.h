#pragma once
// Ending the program at once (a lost connection the operator gives up on).
// Tests replace the ending so they can observe it.
#include <functional>

namespace velmora {

[[noreturn]] void TerminaPrograma(int codigo = 0);
// Installs another ending; it must not return (a test's may throw). Empty restores the real one.
void fijarTerminacion(std::function<void(int)> f);

}  // namespace velmora
