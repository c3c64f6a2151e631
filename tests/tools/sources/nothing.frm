method NOTHING
local l;
proc
endp
