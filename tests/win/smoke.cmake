# The harness's own check: a Win32 GoogleTest program in the Wine session.
brivane_wine_test(NAME smoke_test SOURCES smoke_test.cpp LIBS user32 shell32)
