#include "companion/Velmora2.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sodium.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora {
namespace {

const QString kOrigen = QStringLiteral("Velmora2.Encripta");

void iniciaSodium()
{
    static const bool listo = sodium_init() >= 0;
    if (!listo) throw ado::Fallo(ado::num::FalloNoEspecificado, QStringLiteral("No se pudo iniciar la biblioteca de encriptación."), kOrigen);
}

QString rutaClave()
{
    const QString propia = qEnvironmentVariable("PERMUTAL_CLAVE");
    if (!propia.isEmpty()) return propia;
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/permutal/clave");
}

// Creates the missing folders of the key's path, readable by the user alone.
bool creaCarpeta(const QString& carpeta)
{
    const QByteArray c = QFile::encodeName(carpeta);
    if (c.isEmpty()) return true;
    struct stat st{};
    if (::stat(c.constData(), &st) == 0) return S_ISDIR(st.st_mode);
    const QString padre = QFileInfo(carpeta).path();
    if (padre != carpeta && !creaCarpeta(padre)) return false;
    return ::mkdir(c.constData(), 0700) == 0 || errno == EEXIST;
}

bool escribeTodo(int fd, const unsigned char* datos, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, datos, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        datos += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

enum class Lectura { Ok, NoExiste, Invalida };

Lectura leeClave(const QByteArray& ruta, std::vector<unsigned char>& clave, QString& problema)
{
    const int fd = ::open(ruta.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return Lectura::NoExiste;
        problema = QString::fromLocal8Bit(std::strerror(errno));
        return Lectura::Invalida;
    }
    clave.assign(crypto_secretbox_KEYBYTES + 1, 0);
    size_t leidos = 0;
    while (leidos < clave.size()) {
        const ssize_t r = ::read(fd, clave.data() + leidos, clave.size() - leidos);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        leidos += static_cast<size_t>(r);
    }
    ::close(fd);
    if (leidos != crypto_secretbox_KEYBYTES) {
        sodium_memzero(clave.data(), clave.size());
        problema = QStringLiteral("tamaño incorrecto");
        return Lectura::Invalida;
    }
    clave.resize(crypto_secretbox_KEYBYTES);
    return Lectura::Ok;
}

// The key, read from its file every time (another process may have created it),
// or created there on first use. A new key is written whole to a private
// temporary file and then linked to its name: link() never replaces an existing
// file, so two processes racing end with one key, and nobody ever reads half a
// key. An existing key is never overwritten, not even a damaged one: the
// passwords stored with it would be lost for good.
std::optional<std::vector<unsigned char>> obtieneClave(bool crear, QString& problema)
{
    const QString ruta = rutaClave();
    const QByteArray r = QFile::encodeName(ruta);
    std::vector<unsigned char> clave;
    for (int intento = 0; intento < 2; ++intento) {
        switch (leeClave(r, clave, problema)) {
        case Lectura::Ok: return clave;
        case Lectura::Invalida:
            problema = QStringLiteral("La clave de encriptación \"%1\" no se puede usar (%2); no se reemplaza para no perder las contraseñas guardadas con ella.").arg(ruta, problema);
            return std::nullopt;
        case Lectura::NoExiste: break;
        }
        if (!crear || intento > 0) break;

        if (!creaCarpeta(QFileInfo(ruta).path())) {
            problema = QStringLiteral("No se pudo crear la carpeta de la clave de encriptación \"%1\".").arg(QFileInfo(ruta).path());
            return std::nullopt;
        }
        std::vector<unsigned char> nueva(crypto_secretbox_KEYBYTES);
        crypto_secretbox_keygen(nueva.data());
        QByteArray plantilla = r + ".XXXXXX";
        const int fd = ::mkostemp(plantilla.data(), O_CLOEXEC);   // mode 0600
        if (fd < 0) {
            problema = QStringLiteral("No se pudo crear la clave de encriptación \"%1\": %2.").arg(ruta, QString::fromLocal8Bit(std::strerror(errno)));
            sodium_memzero(nueva.data(), nueva.size());
            return std::nullopt;
        }
        ::fchmod(fd, 0600);
        const bool escrito = escribeTodo(fd, nueva.data(), nueva.size()) && ::fsync(fd) == 0;
        ::close(fd);
        if (escrito && ::link(plantilla.constData(), r.constData()) != 0 && errno != EEXIST) {
            // File systems without hard links: an exclusive create is the next best.
            const int fd2 = ::open(r.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd2 >= 0) {
                const bool ok = escribeTodo(fd2, nueva.data(), nueva.size()) && ::fsync(fd2) == 0;
                ::close(fd2);
                if (!ok) ::unlink(r.constData());
            }
        }
        sodium_memzero(nueva.data(), nueva.size());
        ::unlink(plantilla.constData());
        if (!escrito) {
            problema = QStringLiteral("No se pudo escribir la clave de encriptación \"%1\".").arg(ruta);
            return std::nullopt;
        }
        // Read back whatever is there now: ours, or the one another process linked first.
    }
    if (problema.isEmpty())
        problema = QStringLiteral("No se encuentra la clave de encriptación \"%1\".").arg(ruta);
    return std::nullopt;
}

}  // namespace

QString Encripta(const QString& texto)
{
    if (texto.isEmpty()) return QString();
    iniciaSodium();
    QString problema;
    auto clave = obtieneClave(true, problema);
    if (!clave) throw ado::Fallo(ado::num::FalloNoEspecificado, problema, kOrigen);

    const QByteArray claro = texto.toUtf8();
    std::vector<unsigned char> caja(crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES + static_cast<size_t>(claro.size()));
    unsigned char* nonce = caja.data();
    randombytes_buf(nonce, crypto_secretbox_NONCEBYTES);
    crypto_secretbox_easy(caja.data() + crypto_secretbox_NONCEBYTES, reinterpret_cast<const unsigned char*>(claro.constData()),
                          static_cast<unsigned long long>(claro.size()), nonce, clave->data());
    sodium_memzero(clave->data(), clave->size());

    constexpr int variante = sodium_base64_VARIANT_URLSAFE_NO_PADDING;
    QByteArray b64(static_cast<qsizetype>(sodium_base64_ENCODED_LEN(caja.size(), variante)), '\0');
    sodium_bin2base64(b64.data(), static_cast<size_t>(b64.size()), caja.data(), caja.size(), variante);
    return QString::fromLatin1(b64.constData());   // NUL-terminated inside the buffer
}

QString Desencripta(const QString& texto)
{
    const QString t = texto.trimmed();
    if (t.isEmpty()) return QString();
    try {
        iniciaSodium();
    } catch (const ado::Fallo&) {
        return QString();
    }
    const QByteArray b64 = t.toLatin1();
    std::vector<unsigned char> caja(static_cast<size_t>(b64.size()));
    size_t largo = 0;
    if (sodium_base642bin(caja.data(), caja.size(), b64.constData(), static_cast<size_t>(b64.size()), nullptr, &largo, nullptr,
                          sodium_base64_VARIANT_URLSAFE_NO_PADDING) != 0)
        return QString();
    if (largo < crypto_secretbox_NONCEBYTES + crypto_secretbox_MACBYTES) return QString();

    QString problema;
    auto clave = obtieneClave(false, problema);
    if (!clave) return QString();
    std::vector<unsigned char> claro(largo - crypto_secretbox_NONCEBYTES - crypto_secretbox_MACBYTES + 1);
    const int r = crypto_secretbox_open_easy(claro.data(), caja.data() + crypto_secretbox_NONCEBYTES, largo - crypto_secretbox_NONCEBYTES,
                                             caja.data(), clave->data());
    sodium_memzero(clave->data(), clave->size());
    if (r != 0) return QString();
    const QString resultado = QString::fromUtf8(reinterpret_cast<const char*>(claro.data()), static_cast<qsizetype>(claro.size() - 1));
    sodium_memzero(claro.data(), claro.size());
    return resultado;
}

}  // namespace velmora
