// The operator seam: the scripted operator, the default answers and the error dialog.
#include "companion/Operador.h"
#include "companion/Velmora2.h"

#include <gtest/gtest.h>

#include <memory>

using namespace velmora;

TEST(Operador, RespuestaPorDefectoEsElPrimerBoton)
{
    const struct {
        int botones;
        int respuesta;
    } casos[] = {
        {botones::OK, respuesta::Aceptar},
        {botones::OKCancelar, respuesta::Aceptar},
        {botones::AnularReintentarOmitir, respuesta::Anular},
        {botones::SiNoCancelar, respuesta::Si},
        {botones::SiNo, respuesta::Si},
        {botones::ReintentarCancelar, respuesta::Reintentar},
        // Icons do not change the buttons.
        {botones::SiNo + botones::Pregunta, respuesta::Si},
        {botones::AnularReintentarOmitir + botones::Critico, respuesta::Anular},
        {botones::Informacion, respuesta::Aceptar},
    };
    for (const auto& c : casos) EXPECT_EQ(respuestaPorDefecto(c.botones), c.respuesta) << c.botones;
}

TEST(Operador, ElGuionadoRespondeDeSuColaYLuegoPorDefecto)
{
    OperadorGuionado op;
    op.respuestas = {respuesta::No, respuesta::Omitir};
    op.entradas = {QStringLiteral("tecleado"), std::nullopt};
    op.archivos = {QStringLiteral("/tmp/base.mdb")};

    EXPECT_EQ(op.MsgBox(QStringLiteral("¿Confirma?"), botones::SiNo + botones::Pregunta, QStringLiteral("Atención")), respuesta::No);
    EXPECT_EQ(op.MsgBox(QStringLiteral("Error"), 18, QString()), respuesta::Omitir);
    EXPECT_EQ(op.MsgBox(QStringLiteral("Otra"), botones::SiNo, QString()), respuesta::Si);
    EXPECT_EQ(op.InputBox(QStringLiteral("Nombre"), QStringLiteral("T"), QStringLiteral("def")), std::optional<QString>(QStringLiteral("tecleado")));
    EXPECT_EQ(op.InputBox(QStringLiteral("Nombre"), QStringLiteral("T"), QStringLiteral("def")), std::nullopt);
    EXPECT_EQ(op.InputBox(QStringLiteral("Nombre"), QStringLiteral("T"), QStringLiteral("def")), std::optional<QString>(QStringLiteral("def")));
    EXPECT_EQ(op.ElegirArchivo({QStringLiteral("Abrir"), QStringLiteral("Access |*.MDB")}), std::optional<QString>(QStringLiteral("/tmp/base.mdb")));
    EXPECT_EQ(op.ElegirArchivo({QStringLiteral("Abrir"), QStringLiteral("Access |*.MDB")}), std::nullopt);

    ASSERT_EQ(op.llamadas.size(), 8u);
    EXPECT_EQ(op.llamadas[0].tipo, OperadorGuionado::Llamada::Tipo::Mensaje);
    EXPECT_EQ(op.llamadas[0].botones, 36);
    EXPECT_EQ(op.llamadas[0].titulo, QStringLiteral("Atención"));
    EXPECT_EQ(op.llamadas[3].tipo, OperadorGuionado::Llamada::Tipo::Entrada);
    EXPECT_EQ(op.llamadas[3].texto, QStringLiteral("Nombre"));
    EXPECT_EQ(op.llamadas[3].porDefecto, QStringLiteral("def"));
    EXPECT_EQ(op.llamadas[6].tipo, OperadorGuionado::Llamada::Tipo::Archivo);
    EXPECT_EQ(op.llamadas[6].texto, QStringLiteral("Abrir"));
    EXPECT_EQ(op.llamadas[6].porDefecto, QStringLiteral("Access |*.MDB"));
    EXPECT_EQ(op.mensajes(), (QStringList{QStringLiteral("¿Confirma?"), QStringLiteral("Error"), QStringLiteral("Otra")}));
}

TEST(Operador, SinOperadorInstaladoSeRespondePorDefecto)
{
    auto anterior = instalarOperador(nullptr);
    EXPECT_EQ(MsgBox(QStringLiteral("sin nadie"), botones::SiNo), respuesta::Si);
    EXPECT_EQ(operador().InputBox(QStringLiteral("p"), QString(), QStringLiteral("d")), std::optional<QString>(QStringLiteral("d")));
    EXPECT_EQ(operador().ElegirArchivo({}), std::nullopt);

    auto guion = std::make_shared<OperadorGuionado>();
    EXPECT_EQ(instalarOperador(guion), nullptr);
    EXPECT_EQ(&operador(), guion.get());
    EXPECT_EQ(instalarOperador(anterior), guion);
}

TEST(Operador, InformaErrorPreguntaYDevuelveLaRespuesta)
{
    auto guion = std::make_shared<OperadorGuionado>();
    auto anterior = instalarOperador(guion);
    guion->respuestas = {respuesta::Reintentar, respuesta::Omitir};

    EXPECT_EQ(InformaError(3709, QStringLiteral("Conexión cerrada")), respuesta::Reintentar);
    EXPECT_EQ(InformaError(ado::Fallo(-2147467259, QStringLiteral("Fallo"), QStringLiteral("Microsoft OLE DB"))), respuesta::Omitir);
    EXPECT_EQ(InformaError(5, QStringLiteral("x")), respuesta::Anular);   // Enter: the first button
    instalarOperador(anterior);

    ASSERT_EQ(guion->llamadas.size(), 3u);
    EXPECT_EQ(guion->llamadas[0].texto, QStringLiteral("Ha ocurrido el Siguiente Error (3709) Conexión cerrada"));
    EXPECT_EQ(guion->llamadas[0].botones, botones::AnularReintentarOmitir + botones::Critico);
    EXPECT_EQ(guion->llamadas[0].titulo, QStringLiteral("Aviso al Operador"));
    EXPECT_EQ(guion->llamadas[1].texto, QStringLiteral("Ha ocurrido el Siguiente Error (-2147467259) Fallo"));
    EXPECT_EQ(guion->llamadas[1].titulo, QStringLiteral("Microsoft OLE DB"));
}
