// Operations on 8-bit texts; positions count from 1, as in the sett format.
#pragma once

#include <cstdint>
#include <string>

int32_t textLength(const std::string& t);
// Non-overlapping occurrences of p in t, scanning from the left.
int32_t countOccurrences(const std::string& t, const std::string& p);
// Field n (from 1) of t, split by the first character of sep.
std::string fieldAt(const std::string& t, int32_t n, const std::string& sep);
std::string midText(const std::string& t, int32_t start, int32_t length);
std::string leftText(const std::string& t, int32_t n);
std::string rightText(const std::string& t, int32_t n);
// Leading spaces, an optional sign, then digits; wraps modulo 2^32; 0 without digits.
int32_t parseInteger(const std::string& t);
int32_t charCode(const std::string& t);
std::string upperCaseText(const std::string& t);
// t without the occurrences of p (ASCII letters compared without case).
std::string removeOccurrences(const std::string& t, const std::string& p);
// A number as "%ld" writes it.
std::string decimalText(int32_t value);
