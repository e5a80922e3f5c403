// Stand-in for a companion program: records how it was started (its process
// id, working folder, program path and each argument) in the file named by
// PERMUTAL_REGISTRO. Written to a side file first and renamed, so a reader
// never sees half a record.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    const char* destino = std::getenv("PERMUTAL_REGISTRO");
    if (!destino || !*destino) return 1;
    const std::string parcial = std::string(destino) + ".parcial";
    std::FILE* f = std::fopen(parcial.c_str(), "wb");
    if (!f) return 1;
    char carpeta[4096] = {0};
    if (!getcwd(carpeta, sizeof carpeta - 1)) carpeta[0] = 0;
    // One item per line; arguments are framed by their length so blanks and
    // line ends inside them survive.
    std::fprintf(f, "%ld\n%s\n%s\n%d\n", static_cast<long>(getpid()), carpeta, argv[0], argc - 1);
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::fprintf(f, "%zu:", a.size());
        std::fwrite(a.data(), 1, a.size(), f);
        std::fputc('\n', f);
    }
    std::fclose(f);
    return std::rename(parcial.c_str(), destino) == 0 ? 0 : 1;
}
