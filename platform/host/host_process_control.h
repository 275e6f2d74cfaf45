// Test-only control of the host's process emulation. Product code never includes this header.
#pragma once

// On: OsIsDbcsLeadByte answers as the double-byte code page 932 does (lead bytes 0x81 to 0x9F and
// 0xE0 to 0xFC). Off (the start state): no byte is a lead byte, as in the host's single-byte text.
void HostUseDoubleByteCodePage(bool on);
