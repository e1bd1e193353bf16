#include "config/agent_config.h"

namespace pellorix {

void AssembleLinkText(std::array<char, 260>& work) {
  work.fill(0);
  work[0] = 'Q';
  work[1] = 'x';
  work[2] = '7';
  work[3] = 'L';
  work[4] = 'm';
  work[5] = '2';
  work[6] = 'V';
  work[7] = 'r';
  work[8] = '9';
  work[9] = 'K';
  work[10] = 't';
  work[11] = 'W';
  work[12] = '4';
  work[13] = 'e';
  work[14] = 'P';
  work[15] = 'z';
  work[16] = '6';
  work[17] = 'H';
  work[18] = 'n';
  work[19] = 'C';
  work[20] = '3';
  work[21] = 's';
  work[22] = 'J';
  work[23] = 'u';
  work[24] = '8';
  work[25] = 'Y';
  work[26] = 'b';
  work[27] = 'D';
  work[28] = '5';
  work[29] = 'g';
  work[30] = 'F';
  work[31] = 'a';
  work[32] = '1';
  work[33] = 'R';
  work[34] = 'o';
  work[35] = 'N';
}

}  // namespace pellorix
