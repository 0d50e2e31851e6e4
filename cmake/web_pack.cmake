# After the page's link (cmake -DDIR=... -P web_pack.cmake): the data pack
# gzipped in place of the uncompressed one (the page unpacks it), and each
# file's size written into the page, so its progress bar knows the total and a
# truncated download is named as such.
set(data ${DIR}/index.data)
execute_process(COMMAND gzip -9nc ${data} OUTPUT_FILE ${data}.gz RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "gzip could not compress ${data}")
endif()
file(SIZE ${data} unpacked)
file(REMOVE ${data})
file(SIZE ${data}.gz packed)
file(SIZE ${DIR}/index.wasm wasm)
file(SIZE ${DIR}/index.js script)
file(READ ${DIR}/index.html page)
string(REPLACE "/*@FILES@*/null"
  "{'index.data.gz': {bytes: ${packed}, unpacked: ${unpacked}}, 'index.wasm': {bytes: ${wasm}}, 'index.js': {bytes: ${script}}}"
  page "${page}")
file(WRITE ${DIR}/index.html "${page}")
