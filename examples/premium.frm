// PREMIO: yearly premium of a policy.
// The rate per thousand depends on the age band; every year without claims
// takes 2 per cent off, at most 20 per cent; the premium is rounded to cents.
method PREMIO
input eta, anni_senza_sinistri, capitale;
output premio;
local tasso, sconto;
proc
if eta < 25 then
    tasso = 4.5;
else
    if eta >= 65 then
        tasso = 3.8;
    else
        tasso = 2.9;
    end
end
sconto = anni_senza_sinistri * 2;
if sconto > 20 then
    sconto = 20;
end
premio = capitale * tasso / 1000;
premio = premio - premio % sconto;    /* % is "per cent of" */
premio = round(premio, 2);
endp
