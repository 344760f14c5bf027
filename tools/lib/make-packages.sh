#!/bin/bash
# Makes the packages of a test or demo update server in a folder that the server serves.
#   make-packages.sh <root> <server url> <Kestrel.exe> <running version>
# <root> receives:
#   Kestrel_Defs.zip      a blacklist, an empty registry-keys list and a folder entry
#   Kestrel_Config.zip    a Kestrel.ini;  NoConfig.zip: a package without one
#   broken.zip            not an archive
#   Kestrel.zip           <Kestrel.exe> with the marker "KESTREL-NEW-BUILD" appended
#   <index>/AshgroveUpdates.zip   update indexes: good (a newer version, with the package's
#                         SHA-256), badhash (a wrong SHA-256), broken (a package that is not an
#                         archive), same (the running version)
set -euo pipefail
root=$1 base=$2 exe=$3 version=$4
make=$(mktemp -d)
trap 'rm -rf "$make"' EXIT
mkdir -p "$root"

( mkdir "$make/defs" && cd "$make/defs" &&
  printf 'Package Toolbar|from the package\r\n' >Kestrel.txt && : >Kestrel_RegKeys.txt &&
  mkdir Extras && rm -f "$root/Kestrel_Defs.zip" &&
  zip -q -r "$root/Kestrel_Defs.zip" Kestrel.txt Kestrel_RegKeys.txt Extras )
( mkdir "$make/config" && cd "$make/config" &&
  printf '[Options]\r\nLogFile=1\r\nFromPackage=1\r\n' >Kestrel.ini &&
  rm -f "$root/Kestrel_Config.zip" "$root/NoConfig.zip" &&
  zip -q "$root/Kestrel_Config.zip" Kestrel.ini &&
  printf 'unrelated\r\n' >Readme.txt && zip -q "$root/NoConfig.zip" Readme.txt )
head -c 3000 /dev/urandom >"$root/broken.zip"

( mkdir "$make/program" && cd "$make/program" &&
  cp "$exe" Kestrel.exe && printf 'KESTREL-NEW-BUILD' >>Kestrel.exe &&
  rm -f "$root/Kestrel.zip" && zip -q "$root/Kestrel.zip" Kestrel.exe )
sha=$(sha256sum "$root/Kestrel.zip" | cut -d' ' -f1)

index() {  # index <folder> <version> <package url> [sha]
    mkdir -p "$make/index/$1" "$root/$1"
    printf '[Kestrel]\r\nCurrentVersion=%s\r\nDownloadURL=%s\r\n' "$2" "$3" \
        >"$make/index/$1/AshgroveUpdates.ini"
    [ -z "${4:-}" ] || printf 'SHA256=%s\r\n' "$4" >>"$make/index/$1/AshgroveUpdates.ini"
    rm -f "$root/$1/AshgroveUpdates.zip"
    ( cd "$make/index/$1" && zip -q "$root/$1/AshgroveUpdates.zip" AshgroveUpdates.ini )
}
index good 99.0.0 "$base/Kestrel.zip" "$sha"
index badhash 99.0.0 "$base/Kestrel.zip" "$(printf '%064d' 0)"
index broken 99.0.0 "$base/broken.zip"
index same "$version" "$base/Kestrel.zip"
