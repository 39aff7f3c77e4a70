// The path of the first local file in a text/uri-list, as file managers hand
// dragged files over: one URI per line, comments starting with '#', each a
// file:// URI with its special characters percent-encoded.
#pragma once

#include <string>

// Empty when the list names no local file.
std::string firstFilePath(const std::string& uriList);
