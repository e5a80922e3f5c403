#pragma once
// The session on the TDS test server (a stand-in for SQL Server reached through
// unixODBC and FreeTDS): the data access object connected as the suite's menu
// would connect it, a scripted operator that can act while a question is
// shown, and the program's ending caught.
#include "ServidorTds.h"

#include "companion/Operador.h"
#include "companion/Terminacion.h"
#include "soporte/Sesion_prueba.h"

#include <QString>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace prueba {

// The demo company (the embedded engine's schema and data) as the server's database.
inline QString guionDemo()
{
    return leerFuente(QStringLiteral("app/demo/esquema.sql")) + QLatin1Char('\n') + leerFuente(QStringLiteral("app/demo/datos.sql"));
}

// What the lost-connection question and the end of the program look like here.
struct ProgramaTerminado {
    int codigo;
};

// A scripted operator that runs an action when a given title is shown, before answering.
class OperadorConAcciones : public velmora::OperadorGuionado {
public:
    struct Accion {
        QString titulo;
        std::function<void()> hacer;
        int pasar = 0;   // boxes of that title let by first
    };
    std::vector<Accion> acciones;   // each runs once, when its title comes
    int MsgBox(const QString& texto, int botones, const QString& titulo) override
    {
        for (auto it = acciones.begin(); it != acciones.end(); ++it)
            if (it->titulo == titulo) {
                if (it->pasar-- > 0) break;
                auto f = it->hacer;
                acciones.erase(it);
                f();
                break;
            }
        return velmora::OperadorGuionado::MsgBox(texto, botones, titulo);
    }
    std::vector<Llamada> conTitulo(const QString& titulo) const
    {
        std::vector<Llamada> r;
        for (const Llamada& l : llamadas)
            if (l.titulo == titulo) r.push_back(l);
        return r;
    }
};

const QString kPerdida = QStringLiteral("AVISO AL OPERADOR");

inline QString textoPerdida(const QString& base, const QString& servidor)
{
    const QString CRLF = QStringLiteral("\r\n");
    return CRLF + CRLF + CRLF + QStringLiteral("Se perdio la conexion con la base de datos ") + base + CRLF + QStringLiteral(" Servidor ") + servidor
           + CRLF + CRLF + QStringLiteral("Elija SI para reintentar conectarse") + CRLF + QStringLiteral("Elija NO para cerrar la aplicacion") + CRLF
           + CRLF + CRLF;
}

// The session's data access object on a TDS server, with the operator installed.
class SesionTds {
public:
    explicit SesionTds(const QString& guion, ServidorTds::Opciones opciones = {})
        : servidor(guion, opciones), op(std::make_shared<OperadorConAcciones>())
    {
        anterior_ = velmora::instalarOperador(op);
        velmora::fijarTerminacion([](int c) { throw ProgramaTerminado{c}; });
        reiniciarSesion();
    }
    ~SesionTds()
    {
        reiniciarSesion();
        velmora::fijarTerminacion({});
        velmora::instalarOperador(anterior_);
    }
    QString servidorTexto() const { return QStringLiteral("127.0.0.1,%1").arg(servidor.puerto()); }
    // OpenServerADODB as the start-up calls it; false when no connection resulted.
    bool conectar(bool validaAdmin = false)
    {
        datos::DB_Dll& db = datos::gDB();
        db.gServidor = servidorTexto();
        db.gDBName = servidor.base();
        db.gUsuario = servidor.usuario();
        db.gUserPassWord = servidor.clave();
        db.OpenServerADODB(false, 3, QString(), validaAdmin, true);
        return db.gOpenFlag && db.gCnn().State() == ado::adStateOpen;
    }

    CarpetaTemporal carpeta;
    ServidorTds servidor;
    std::shared_ptr<OperadorConAcciones> op;

private:
    std::shared_ptr<velmora::Operador> anterior_;
};

}  // namespace prueba
