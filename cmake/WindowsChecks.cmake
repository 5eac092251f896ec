# Checks on the built Windows executable: size, imports and hardening flags.
enable_testing()
find_program(ZOLVIK_OBJDUMP NAMES ${ZOLVIK_MINGW_PREFIX}-objdump objdump REQUIRED)
add_test(NAME exe_size_imports_flags
         COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:Zolvik> -DOBJDUMP=${ZOLVIK_OBJDUMP}
                 -P ${CMAKE_CURRENT_LIST_DIR}/CheckExecutable.cmake)
set_tests_properties(exe_size_imports_flags PROPERTIES LABELS exe)
