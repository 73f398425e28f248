# The harness's own check: a Win32 GoogleTest program in the Wine session that
# finds the program under test in the build directory.
brivane_wine_test(NAME smoke_test SOURCES smoke_test.cpp LIBS user32 shell32 version)
add_dependencies(smoke_test brivane)
# Built for the Wine session, the program checks that it runs in it.
target_compile_definitions(smoke_test PRIVATE BRIVANE_IN_WINE_SESSION=$<BOOL:${BRIVANE_WINE_SESSION}>)
