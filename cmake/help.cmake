# The journal's help, generated at build time by tools/hlpgen.py from its
# text source help/vorta_help.txt:
#
#   vorta.hlp   the WinHelp file the journal's help button opens (context
#               number 0 is the contents topic); setup.exe installs it beside
#               vorta.exe, and the Start-menu shortcut "ヘルプ" points at it
#   vorta.cnt   its contents file: one line per topic, in code page 932
#
# The help file is a WinHelp 3.1 file in code page 932 (Japanese character
# set and locale in |SYSTEM, the text in "ＭＳ Ｐゴシック"), with jumps between
# its topics, a title list, a keyword index and a browse sequence.
#
#   vorta_generate_help(<out_dir> <out_var>)
#       adds the command writing both files into <out_dir> and sets <out_var>
#       to their full paths, for a target to depend on
#   vorta_add_help_tests()
#       adds the test of the generator and of the help file it makes

find_package(Python3 COMPONENTS Interpreter REQUIRED)

function(vorta_generate_help out_dir out_var)
  set(tool ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools/hlpgen.py)
  set(source ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../help/vorta_help.txt)
  cmake_path(ABSOLUTE_PATH out_dir BASE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} NORMALIZE)
  cmake_path(NORMAL_PATH tool)
  cmake_path(NORMAL_PATH source)
  set(outputs ${out_dir}/vorta.hlp ${out_dir}/vorta.cnt)
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${Python3_EXECUTABLE} ${tool} build ${source} ${out_dir}
    DEPENDS ${source} ${tool}
    COMMENT "Generating the journal's help file"
    VERBATIM
  )
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()

function(vorta_add_help_tests)
  set(tools ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools)
  cmake_path(NORMAL_PATH tools)
  add_test(NAME hlpgen COMMAND ${Python3_EXECUTABLE} ${tools}/hlpgen_test.py)
endfunction()
