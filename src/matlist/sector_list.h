// The sector list of a \matlist command: numbers, ranges a-b, parentheses that exclude
// what they hold, ':' references to named groups and ':' alone for the dynamic group.
#pragma once

#include <vector>

namespace tabrix {

class Chopper;
class GroupHome;

// Sectors a list can name: 1 .. MaxSector.
constexpr int MaxSector = 649;

// Reads a sector list from the reader, up to the end of a line that does not follow a
// ',' (a trailing comma continues the list on the next line), or a ')' that closes no
// '('. Numbers mark themselves; a-b marks the range; '(' and ')' flip the mark between
// 1 and 0; ":name" marks the members of that group (with the mark in force), ':' before
// the line end or ')' marks the dynamic group's members with 1. An error ends the list
// after its message, keeping what was marked: "\r\nA - must be followed by a number.",
// "\r\nA number must procede a -.", "\r\nA : must be followed by a number.",
// "\nReferenced group does not exist.", "\r\nUnrecognized element %s", and for a number
// outside 1 .. 649 "\r\nSector %d is outside 1 to 649.". groups may be null (no group
// can be referred to). The result: every marked sector from 1 to the highest named,
// ascending.
std::vector<int> parseSectorList(Chopper& reader, GroupHome* groups);

}  // namespace tabrix
