#!/bin/sh
# Lays out folders with symbolic links for the folder-removal test, which
# cannot make links from inside Wine: $1/outside with files, $1/tree holding
# a file and links to it at two depths, and $1/data, a link to it in place of
# a folder. (Wine 8 shows a link to a file as the file itself, so there is no
# telling it apart from inside.)
set -e
rm -rf "$1"
mkdir -p "$1/outside/deeper" "$1/tree/sub"
echo keep > "$1/outside/keep.txt"
echo also > "$1/outside/deeper/also.txt"
echo mine > "$1/tree/plain.txt"
ln -s ../outside "$1/tree/link"
ln -s ../../outside "$1/tree/sub/link"
ln -s outside "$1/data"
