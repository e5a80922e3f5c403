// The desktop shortcut and the command runner of the access dialog.
#include "Acceso_prueba.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTest>

using acceso::frmAcceso;

namespace {

class AccesoDirecto : public prueba::PruebaAcceso {
protected:
    QTemporaryDir casa;
    prueba::VariableEntorno home{"HOME", casa.path()};
    prueba::VariableEntorno config{"XDG_CONFIG_HOME", casa.path() + QStringLiteral("/.config")};
    prueba::VariableEntorno datosUsuario{"XDG_DATA_HOME", casa.path() + QStringLiteral("/.local/share")};

    static QString leer(const QString& ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

TEST_F(AccesoDirecto, SeCreaYSeReemplazaEnElEscritorioDelUsuario)
{
    QDir(casa.path()).mkpath(QStringLiteral(".config"));
    QDir(casa.path()).mkpath(QStringLiteral("Escritorio"));
    {
        QFile f(casa.path() + QStringLiteral("/.config/user-dirs.dirs"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("# carpetas\nXDG_DOCUMENTS_DIR=\"$HOME/Documentos\"\nXDG_DESKTOP_DIR=\"$HOME/Escritorio\"\n");
    }
    const QString ruta = casa.path() + QStringLiteral("/Escritorio/Bresmilo.desktop");
    {
        QFile viejo(ruta);
        ASSERT_TRUE(viejo.open(QIODevice::WriteOnly));
        viejo.write("viejo\n");
    }
    frmAcceso f;
    EXPECT_EQ(frmAcceso::CarpetaEscritorio(), casa.path() + QStringLiteral("/Escritorio"));
    QTest::mouseClick(f.CmdLineaComando, Qt::LeftButton);
    EXPECT_TRUE(op->llamadas.empty()) << op->mensajes().join(QLatin1Char('|')).toStdString();
    const QStringList lineas = leer(ruta).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_FALSE(lineas.isEmpty());
    EXPECT_EQ(lineas[0], QStringLiteral("[Desktop Entry]"));
    EXPECT_TRUE(lineas.contains(QStringLiteral("Type=Application")));
    EXPECT_TRUE(lineas.contains(QStringLiteral("Name=Bresmilo")));
    EXPECT_TRUE(lineas.contains(QStringLiteral("Exec=") + QCoreApplication::applicationFilePath()));
    EXPECT_FALSE(lineas.contains(QStringLiteral("viejo")));
    QString icono;
    for (const QString& l : lineas)
        if (l.startsWith(QLatin1String("Icon="))) icono = l.mid(5);
    EXPECT_TRUE(QFileInfo(icono).isAbsolute()) << icono.toStdString();
    EXPECT_TRUE(QFileInfo::exists(icono)) << icono.toStdString();
    EXPECT_TRUE(QFileInfo(ruta).isExecutable());
}

TEST_F(AccesoDirecto, SinCarpetasDeUsuarioSeUsaDesktop)
{
    EXPECT_EQ(frmAcceso::CarpetaEscritorio(), casa.path() + QStringLiteral("/Desktop"));
    QDir(casa.path()).mkpath(QStringLiteral("Desktop"));
    frmAcceso f;
    f.CmdLineaComando_Click();
    EXPECT_TRUE(QFile::exists(casa.path() + QStringLiteral("/Desktop/Bresmilo.desktop")));
    EXPECT_TRUE(op->llamadas.empty());
}

TEST_F(AccesoDirecto, SinEscritorioUnMensajeClaro)
{
    frmAcceso f;
    f.CmdLineaComando_Click();
    ASSERT_EQ(op->llamadas.size(), 1u);
    EXPECT_TRUE(op->llamadas[0].texto.startsWith(QStringLiteral("No se pudo crear el acceso directo ") + casa.path()
                                                 + QStringLiteral("/Desktop/Bresmilo.desktop")))
        << op->llamadas[0].texto.toStdString();
    EXPECT_FALSE(QFile::exists(casa.path() + QStringLiteral("/Desktop")));
}

TEST(TextoAccesoDirecto, RutasConBlancosVanEntreComillas)
{
    const QString t = frmAcceso::TextoAccesoDirecto(QStringLiteral("/opt/mis programas/permutal"), QStringLiteral("/i/b.png"));
    EXPECT_TRUE(t.contains(QStringLiteral("\nExec=\"/opt/mis programas/permutal\"\n"))) << t.toStdString();
    EXPECT_TRUE(t.contains(QStringLiteral("\nIcon=/i/b.png\n")));
}

TEST_F(AccesoDirecto, EjecutarUnComandoEsperaSuFin)
{
    frmAcceso f;
    QString error;
    const QString marca = carpeta.archivo(QStringLiteral("hecho"));
    EXPECT_TRUE(f.EjecutarCmdRegDB(QStringLiteral("sh -c \"sleep 0.2; echo listo > '%1'\"").arg(marca), error));
    EXPECT_TRUE(QFile::exists(marca));   // returned only after the command ended
    EXPECT_TRUE(error.isEmpty());
    EXPECT_FALSE(f.EjecutarCmdRegDB(carpeta.archivo(QStringLiteral("no_existe")), error));
    EXPECT_EQ(error, QStringLiteral("Error al ejecutar el comando"));
}

}  // namespace
