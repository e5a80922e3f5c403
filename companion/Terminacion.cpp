#include "Terminacion.h"

#include <cstdlib>

namespace velmora {

namespace {
std::function<void(int)>& terminacion()
{
    static std::function<void(int)> f;
    return f;
}
}  // namespace

void TerminaPrograma(int codigo)
{
    if (auto& f = terminacion()) f(codigo);
    std::_Exit(codigo);
}

void fijarTerminacion(std::function<void(int)> f)
{
    terminacion() = std::move(f);
}

}  // namespace velmora
