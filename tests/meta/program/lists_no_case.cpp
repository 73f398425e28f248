// Writes the report a GoogleTest program without cases writes, and succeeds.
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    const char* prefix = "--gtest_output=xml:";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) != 0) continue;
        std::FILE* report = std::fopen(argv[i] + std::strlen(prefix), "w");
        if (!report) return 1;
        std::fputs(
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites tests=\"0\" "
            "failures=\"0\">\n</testsuites>\n",
            report);
        std::fclose(report);
    }
    return 0;
}
