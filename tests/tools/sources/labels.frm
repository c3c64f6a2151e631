// goto and label, forward and backward; message, errmsg and return.
method LABELS
input n;
output r;
proc
r = 0;
label TOP:
if n <= 0 then goto DONE end
r = r + n;
n = n - 1;
goto TOP
label DONE:
message r
if r > 100 then errmsg r end
if isin(r) then return end
endp
