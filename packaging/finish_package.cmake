# Run by cpack (CPACK_PRE_BUILD_SCRIPTS, set in cmake/package.cmake) once it has installed
# the files to pack in its staging folder, and before it packs them. It turns that copy of
# what `make install` installs into what Debian asks of a package:
# - every manual page, in every section, compressed with gzip -9n (no name, no time stamp,
#   so that the same sources give the same package);
# - the copyright file and the changelog, compressed, in usr/share/doc/PACKAGE;
# - lintian's overrides, in usr/share/lintian/overrides/PACKAGE;
# - every folder 0755 and every document 0644, whatever the umask of the user who packs.
set(usr ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc_dir ${usr}/share/doc/${CPACK_PACKAGE_NAME})
set(file_mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(folder_mode ${file_mode} OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)

# Compresses FILE into FILE.gz in its place, keeping its permissions.
function(compress file)
  execute_process(COMMAND gzip -9n -- ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip -9n ${file}: ${status}")
  endif()
endfunction()

file(GLOB_RECURSE pages LIST_DIRECTORIES false ${usr}/${CPACK_HORNWALL_MAN_DIR}/*)
list(FILTER pages EXCLUDE REGEX "\\.gz$")
if(NOT pages)
  message(FATAL_ERROR "no manual page under ${usr}/${CPACK_HORNWALL_MAN_DIR}")
endif()
foreach(page IN LISTS pages)
  compress(${page})
endforeach()

file(MAKE_DIRECTORY ${doc_dir})
file(COPY ${CPACK_HORNWALL_DOCUMENTS} DESTINATION ${doc_dir} FILE_PERMISSIONS ${file_mode})
compress(${doc_dir}/changelog.Debian)
set(overrides ${usr}/share/lintian/overrides/${CPACK_PACKAGE_NAME})
file(MAKE_DIRECTORY ${usr}/share/lintian/overrides)
file(COPY_FILE ${CPACK_HORNWALL_LINTIAN_OVERRIDES} ${overrides})
file(CHMOD ${overrides} PERMISSIONS ${file_mode})

file(GLOB_RECURSE folders LIST_DIRECTORIES true ${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*)
foreach(folder IN LISTS folders)
  if(IS_DIRECTORY ${folder})
    file(CHMOD ${folder} PERMISSIONS ${folder_mode})
  endif()
endforeach()
