# Writes the workbench page's files into a C++ source as byte arrays (the table of page_files.h).
# cmake -DOUTPUT=page_files.cpp -DPAGE_DIR=page -P embed_page.cmake
set(files index.html workbench.css workbench.js)
set(types "text/html; charset=utf-8" "text/css; charset=utf-8" "text/javascript; charset=utf-8")
set(paths "/" "/workbench.css" "/workbench.js")

set(arrays "")
set(entries "")
foreach(i RANGE 2)
  list(GET files ${i} file)
  list(GET types ${i} type)
  list(GET paths ${i} path)
  file(READ ${PAGE_DIR}/${file} bytes HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
  string(APPEND arrays "const unsigned char file${i}[] = {${bytes}};\n")
  string(APPEND entries "    {\"${path}\", \"${type}\", file${i}, sizeof file${i}},\n")
endforeach()

file(WRITE ${OUTPUT}.tmp "// Generated from ${PAGE_DIR} by embed_page.cmake; do not edit.\n"
  "#include \"page_files.h\"\n\nnamespace {\n${arrays}}  // namespace\n\n"
  "const PageFile kPageFiles[] = {\n${entries}};\nconst size_t kPageFileCount = 3;\n")
# Only a changed page touches the source, so an unchanged one costs no rebuild.
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
