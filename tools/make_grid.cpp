// Writes a lookup grid file: 201 records of 201 values T(a, b) at
// x = (a-1) 0.025 (2/FcD) and y = (b-1) 0.025 (|face skin|).
//
// The default grid makes the apparent skin equal to the face skin:
// T(a, b) = (b - 1) * 0.025. With --linear A B C the grid is
// T = A + B x + C y instead (for tests and experiments).
//
// Usage: quenlor_make_grid OUTPUT [--linear A B C]
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2 && !(argc == 6 && std::strcmp(argv[2], "--linear") == 0)) {
        std::fprintf(stderr, "usage: %s OUTPUT [--linear A B C]\n", argv[0]);
        return 2;
    }
    double a0 = 0.0, bx = 0.0, cy = 1.0;
    if (argc == 6) {
        a0 = std::strtod(argv[3], nullptr);
        bx = std::strtod(argv[4], nullptr);
        cy = std::strtod(argv[5], nullptr);
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    for (int a = 1; a <= 201; ++a) {
        const double x = (a - 1) * 0.025;
        for (int b = 1; b <= 201; ++b) {
            const double y = (b - 1) * 0.025;
            // Fifteen significant digits keep decimal grid values clean
            // (0.075, not 0.07500000000000001); ten values to a line, so
            // records span lines as the format allows.
            std::fprintf(out, "%.15g%s", a0 + bx * x + cy * y, (b % 10 == 0 || b == 201) ? "\n" : " ");
        }
    }
    if (std::fclose(out) != 0) {
        std::fprintf(stderr, "%s: error writing %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
