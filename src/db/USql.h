#pragma once
// The catalogue of the application's DDL scripts.
#include <string>
#include <vector>

std::vector<std::string> GetSqlScript(const std::string& name);
std::vector<std::string> SqlScriptNames();
