// Encryption of stored passwords and its per-user key file.
#include "companion/Velmora2.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace velmora;

namespace {

class Cripto : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir_.isValid());
        habia_ = qEnvironmentVariableIsSet("PERMUTAL_CLAVE");
        anterior_ = qgetenv("PERMUTAL_CLAVE");
        usarClave(clave());
    }
    void TearDown() override
    {
        if (habia_) qputenv("PERMUTAL_CLAVE", anterior_);
        else qunsetenv("PERMUTAL_CLAVE");
    }
    static void usarClave(const QString& ruta) { qputenv("PERMUTAL_CLAVE", QFile::encodeName(ruta)); }
    QString clave() const { return dir_.filePath(QStringLiteral("conf/permutal/clave")); }
    static QByteArray contenido(const QString& ruta)
    {
        QFile f(ruta);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    bool habia_ = false;
    QByteArray anterior_;
};

}  // namespace

TEST_F(Cripto, IdaYVuelta)
{
    for (const QString& t : {QStringLiteral("secreto"), QStringLiteral("contraseña con, coma\r\ny salto"), QStringLiteral("x"),
                             QString(200, QLatin1Char('z'))}) {
        const QString e = Encripta(t);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9_-]+$")).match(e).hasMatch()) << qPrintable(e);
        EXPECT_FALSE(e.contains(QLatin1Char(',')) || e.contains(QLatin1Char('\r')) || e.contains(QLatin1Char('\n')));
        EXPECT_NE(e, t);
        EXPECT_EQ(Desencripta(e), t);
    }
    EXPECT_EQ(Encripta(QString()), QString());
    EXPECT_EQ(Desencripta(QString()), QString());
}

TEST_F(Cripto, DosEncriptacionesDifierenYLaClaveSeCreaUnaVez)
{
    EXPECT_FALSE(QFile::exists(clave()));
    const QString a = Encripta(QStringLiteral("sa"));
    ASSERT_TRUE(QFile::exists(clave()));
    const QByteArray primera = contenido(clave());
    const QString b = Encripta(QStringLiteral("sa"));
    EXPECT_NE(a, b);
    EXPECT_EQ(contenido(clave()), primera);

    struct stat st{};
    ASSERT_EQ(::stat(QFile::encodeName(clave()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(dir_.filePath(QStringLiteral("conf/permutal"))).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    // No temporary file is left beside the key.
    EXPECT_EQ(QDir(dir_.filePath(QStringLiteral("conf/permutal"))).entryList(QDir::Files), QStringList{QStringLiteral("clave")});
}

TEST_F(Cripto, LoQueNoDesencriptaDaTextoVacio)
{
    const QString e = Encripta(QStringLiteral("clave-de-sa"));
    QString alterado = e;
    const int medio = alterado.size() / 2;
    alterado[medio] = alterado[medio] == QLatin1Char('A') ? QLatin1Char('B') : QLatin1Char('A');
    EXPECT_EQ(Desencripta(alterado), QString());
    EXPECT_EQ(Desencripta(e.left(e.size() - 3)), QString());
    EXPECT_EQ(Desencripta(QStringLiteral("texto plano del suite")), QString());
    EXPECT_EQ(Desencripta(QStringLiteral("abc")), QString());
    EXPECT_EQ(Desencripta(QStringLiteral("ñññññññññññññññññññññññññññññññññññññññññññññññ")), QString());
}

TEST_F(Cripto, LaClaveSeLeeDelArchivo)
{
    const QString e = Encripta(QStringLiteral("pwd"));
    // Another process has only the file: a copy of it decrypts.
    const QString copia = dir_.filePath(QStringLiteral("copia"));
    ASSERT_TRUE(QFile::copy(clave(), copia));
    usarClave(copia);
    EXPECT_EQ(Desencripta(e), QStringLiteral("pwd"));
    // Without a key nothing decrypts, and reading never creates one.
    const QString otra = dir_.filePath(QStringLiteral("otra/clave"));
    usarClave(otra);
    EXPECT_EQ(Desencripta(e), QString());
    EXPECT_FALSE(QFile::exists(otra));
    // A different key does not decrypt either.
    Encripta(QStringLiteral("otra"));
    EXPECT_EQ(Desencripta(e), QString());
}

TEST_F(Cripto, UnaClaveDanadaNoSeReemplaza)
{
    QDir().mkpath(dir_.filePath(QStringLiteral("conf/permutal")));
    {
        QFile f(clave());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("corta");
    }
    try {
        Encripta(QStringLiteral("pwd"));
        ADD_FAILURE() << "Encripta con una clave dañada";
    } catch (const ado::Fallo& f) {
        EXPECT_TRUE(f.Description().contains(clave())) << qPrintable(f.Description());
    }
    EXPECT_EQ(contenido(clave()), QByteArray("corta"));
    EXPECT_EQ(Desencripta(QStringLiteral("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA")), QString());
}

TEST_F(Cripto, QuienesCreanLaClaveALaVezQuedanConUna)
{
    std::vector<QString> cifrados(8);
    std::vector<std::thread> hilos;
    for (size_t i = 0; i < cifrados.size(); ++i)
        hilos.emplace_back([&cifrados, i] { cifrados[i] = Encripta(QStringLiteral("pwd%1").arg(i)); });
    for (auto& h : hilos) h.join();
    for (size_t i = 0; i < cifrados.size(); ++i) EXPECT_EQ(Desencripta(cifrados[i]), QStringLiteral("pwd%1").arg(i));
}
