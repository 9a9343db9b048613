#include <iostream>

#include "app/ReportCommandLine.h"

int main(int argc, char** argv) {
  return pelorin::report::RunReport(std::vector<std::string>(argv, argv + argc), std::cout,
                                    std::cerr);
}
