# torvane.html: the page in one file that works from anywhere, also opened
# straight from the disk (file://) and offline. index.html (style and script
# already inside) gets torvane.js and torvane.wasm as base64 text blocks; the
# page starts its worker from them (a Blob URL) and hands the worker the
# WebAssembly itself, so that nothing is fetched.
file(READ ${PAGE} page)
foreach(part JS WASM)
  execute_process(COMMAND base64 -w 0 ${${part}} OUTPUT_VARIABLE ${part}_BASE64 RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "base64 could not read ${${part}}")
  endif()
endforeach()
# A worker from a Blob URL, and no connection at all.
string(REPLACE "connect-src 'self'; worker-src 'self'" "connect-src 'none'; worker-src blob:" page "${page}")
string(REPLACE "<script>\n" "<script type=\"text/plain\" id=\"torvane-js\">${JS_BASE64}</script>\n<script type=\"text/plain\" id=\"torvane-wasm\">${WASM_BASE64}</script>\n<script>\n" page "${page}")
file(WRITE ${OUTPUT} "${page}")
