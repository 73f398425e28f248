# Writes PCH.sum holding the SHA-256 of the precompiled header PCH.
#   cmake -DPCH=<file.gch> -P WritePchChecksum.cmake
file(SHA256 ${PCH} hash)
file(WRITE ${PCH}.sum "${hash}\n")
