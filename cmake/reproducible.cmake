# The same sources give the same executables, whatever folder they are built in and
# whenever: no link time in the PE header, no source or build folder in the code.
target_compile_options(tarvell_flags INTERFACE
    $<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=
                                -ffile-prefix-map=${CMAKE_BINARY_DIR}/=>)
target_link_options(tarvell_flags INTERFACE -Wl,--no-insert-timestamp)
