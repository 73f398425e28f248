// Aborts during static initialisation, before main() can list or run a case.
#include <cstdlib>

namespace {
const int kNeverSet = (std::abort(), 0);
}  // namespace

int main() { return kNeverSet; }
