// SCONTO: total of an order line with a quantity discount.
// 100 pieces or more: 15 per cent off; 10 or more: 5 per cent; promotional
// items (promozione 1) get no further discount. The unit price after the
// discount is rounded down to the cent. A quantity below 1 stops the
// evaluation with an error, and the total stays 0.
method SCONTO
input quantita, prezzo, promozione;
output totale;
local percentuale, netto;
proc
if quantita < 1 then
    errmsg quantita
end
if promozione == 1 then
    goto calcolo
end
if quantita >= 100 then
    percentuale = 15;
else
    if quantita >= 10 then
        percentuale = 5;
    end
end
label calcolo:
// A rate that no branch assigned is no discount.
if not isin(percentuale) then
    percentuale = 0;
end
netto = floor(prezzo - prezzo % percentuale, 2);
totale = round(quantita * netto, 2);
endp
