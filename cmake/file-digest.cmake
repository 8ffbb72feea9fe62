# Script mode: prints the SHA-256 of FILE and writes FILE.sha256 beside it
# ("<hash>  <name>", as sha256sum -c reads it in that folder).
file(SHA256 "${FILE}" hash)
get_filename_component(name "${FILE}" NAME)
file(WRITE "${FILE}.sha256" "${hash}  ${name}\n")
message("SHA-256 of ${name}: ${hash}")
