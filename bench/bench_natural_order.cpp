// Sorting a folder's names in natural order when they carry accented letters (a French
// photographer's "Été 2023", "Noël à Sète"), against the same names written in ASCII.
#include "Timing.h"
#include "platform/posix/PosixInternals.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::vector<std::string> names(int count, bool accented) {
    const char* plain[] = {"Ete 2023 ", "Noel a Sete ", "Paques ", "Foret ", "Chateau "};
    const char* french[] = {"Été 2023 ", "Noël à Sète ", "Pâques ", "Forêt ", "Château "};
    std::vector<std::string> out;
    out.reserve(static_cast<std::size_t>(count));
    // Scattered, as a folder's entries come, so that the sort has work to do.
    for (int i = 0; i < count; ++i) {
        const int n = (i * 7919) % count;
        out.push_back(std::string((accented ? french : plain)[n % 5]) + std::to_string(n) + ".jpg");
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    using quorvel::bench::best;
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    const auto ascii = names(count, false);
    const auto french = names(count, true);
    const int runs = 7;
    const double plain = best(runs, [&] {
        auto copy = ascii;
        quorvel::sortNaturally(copy);
    });
    const double accented = best(runs, [&] {
        auto copy = french;
        quorvel::sortNaturally(copy);
    });
    std::printf("sort %d names with accented letters: %.4f s; the same in ASCII: %.4f s; ratio "
                "%.2f\n",
                count, accented, plain, accented / plain);
}
