Hello *User_Name*,

This is a friendly reminder about *Auction_Name* (item number *Auction_Number*), which you won on *Auction_Close_Date*.

I sent you an invoice on *Invoice_Sent_Date*, but I have not yet received your payment of *Auction_Total*. If you have already sent it, thank you, and please disregard this message.

If you did not receive the invoice, or if you have any questions, just reply to this email and I will be glad to help.

Best regards,

Your Seller
