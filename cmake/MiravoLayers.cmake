# miravo_expose(<target> <folder>)
# Lets the targets that link <target> include the headers of <folder> as "<folder>/X.h",
# and nothing else of the project: each library gets an include root of its own in the
# build tree holding one link to its folder. A target that includes a folder it does not
# link therefore fails to compile. Where links cannot be made (Windows without the right
# to create them), the project root serves instead and the include-rule test still guards
# the layers.
function(miravo_expose target folder)
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  set(link ${root}/${folder})
  if(NOT IS_SYMLINK ${link})
    get_filename_component(parent ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${link} RESULT failed SYMBOLIC)
    if(failed)
      set(root ${PROJECT_SOURCE_DIR})
    endif()
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
