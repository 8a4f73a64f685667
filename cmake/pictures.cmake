# The journal's pictures, and the program icons of the installer and the
# uninstaller, generated at build time by tools/picgen.py from the text
# sources in journal/res/pictures (one <name>.txt per file produced):
#
#   bmp131.bmp  bmp132.bmp   sun icon, its mask
#   bmp133.bmp  bmp134.bmp   cloud icon, its mask
#   bmp135.bmp  bmp136.bmp   umbrella icon (rain), its mask
#   bmp137.bmp  bmp138.bmp   snowman icon (snow), its mask
#   bmp146.bmp  bmp149.bmp   slash connector, its mask
#   bmp147.bmp  bmp148.bmp   arrow connector, its mask
#   bmp141.bmp .. bmp144.bmp mood faces: laughing, plain, angry, downcast
#   bmp145.bmp               the round mask the four faces share
#   vorta.ico                the journal's icon: an open diary and a pen
#   setup.ico                the installer's icon: the diary and an arrow
#                            down into a box
#   uninst.ico               the uninstaller's icon: the diary and a red
#                            badge with a white cross
#   avi144.avi               search animation: a magnifying glass circling over
#                            a page, 8 frames of 48 x 48 at 500 ms each
#
# Each icon holds a 32 x 32 and a 16 x 16 image, transparent around the picture.
# The bitmaps are 12 x 12, 4 bits per pixel; each image is black wherever its
# mask is white, for drawing with the mask SRCAND and then the image SRCINVERT.
# The animation is an uncompressed 8-bit AVI for the animation control, whose
# top-left pixel is the colour left out when it is drawn transparently.
#
#   vorta_generate_pictures(<out_dir> <out_var>)
#       adds the command writing all of them into <out_dir> and sets <out_var>
#       to their full paths, for a resource script to depend on
#   vorta_add_picture_tests()
#       adds the test of the generator and of the pictures it makes

find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(VORTA_PICTURE_NAMES
  bmp131 bmp132 bmp133 bmp134 bmp135 bmp136 bmp137 bmp138
  bmp141 bmp142 bmp143 bmp144 bmp145
  bmp146 bmp147 bmp148 bmp149
  vorta setup uninst
  avi144
)

# The names among them that are icons (kind icon) and become .ico files.
set(VORTA_ICON_NAMES vorta setup uninst)

function(vorta_generate_pictures out_dir out_var)
  set(tool ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools/picgen.py)
  set(source_dir ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../journal/res/pictures)
  cmake_path(ABSOLUTE_PATH out_dir BASE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR} NORMALIZE)
  cmake_path(NORMAL_PATH tool)
  cmake_path(NORMAL_PATH source_dir)
  set(sources)
  set(outputs)
  foreach(name IN LISTS VORTA_PICTURE_NAMES)
    list(APPEND sources ${source_dir}/${name}.txt)
    if(name IN_LIST VORTA_ICON_NAMES)
      list(APPEND outputs ${out_dir}/${name}.ico)
    elseif(name MATCHES "^avi")
      list(APPEND outputs ${out_dir}/${name}.avi)
    else()
      list(APPEND outputs ${out_dir}/${name}.bmp)
    endif()
  endforeach()
  # One command for all of them: an image is checked against its mask, so
  # every picture depends on more than its own source anyway.
  add_custom_command(
    OUTPUT ${outputs}
    COMMAND ${Python3_EXECUTABLE} ${tool} build ${out_dir} ${sources}
    DEPENDS ${sources} ${tool}
    COMMENT "Generating the journal's pictures"
    VERBATIM
  )
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()

function(vorta_add_picture_tests)
  set(tools ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../tools)
  cmake_path(NORMAL_PATH tools)
  add_test(NAME picgen COMMAND ${Python3_EXECUTABLE} ${tools}/picgen_test.py)
endfunction()
